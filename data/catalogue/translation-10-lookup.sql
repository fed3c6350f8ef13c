-- Rows of the lookup table, in the order the program reads them. Each row carries an entry of
-- several lists side by side; a list's key column (ID1 ... ID9) is empty where a row has none.
-- Positions matter: rows 1 to 4 are the protocols (row 4 is rewritten as the Apollo protocol at
-- every start), rows 1 to 9 carry the option-board captions (rows 6 to 9 are rewritten as boards
-- 5 to 8 at every start), and the last row's ID6 must stay above 100 (the Apollo device types),
-- or the start-up appends those 27 device type rows again.
INSERT INTO "Translation_Text" ("ID1", "Panel Type", "ID2", "Housing Type", "ID3", "Protocol", "ProtocolFile", "MaxLoopLength", "LowestV", "MaxDetectorCount", "MaxModuleCount", "ResistanceToDevice", "ID4", "Options", "ID5", "PowerSupply", "ID6", "Device Type Text", "ID7", "StandbyTimeText", "StandbyTimeNumber", "ID8", "AlarmTimeText", "AlarmTimeNumber", "ID9", "Outputs") VALUES (1, 'VX-1 Compact', 1, 'Small', 'Prot0', 'Digital 2000', '2000', 3000, 27, 128, 0, 50, 'Opt0', 'Sounder Card', 'Psu0', 'PSU 2.5 A', 0, 'Multisensor Detector', 0, '4 Hours', 4, 0, '30 Minutes', 0.5, 1, 'Sounder Circuit 1');
INSERT INTO "Translation_Text" ("ID1", "Panel Type", "ID2", "Housing Type", "ID3", "Protocol", "ProtocolFile", "MaxLoopLength", "LowestV", "MaxDetectorCount", "MaxModuleCount", "ResistanceToDevice", "ID4", "Options", "ID5", "PowerSupply", "ID6", "Device Type Text", "ID7", "StandbyTimeText", "StandbyTimeNumber", "ID8", "AlarmTimeText", "AlarmTimeNumber", "ID9", "Outputs") VALUES (2, 'VX-2', 2, 'Standard', 'Prot1', 'Qellon', 'Qellon', 2000, 24, 127, 127, 40, 'Opt1', 'Network Card', 'Psu1', 'PSU 5 A', 1, 'Optical Detector', 1, '24 Hours', 24, 1, '1 Hour', 1, 2, 'Sounder Circuit 2');
INSERT INTO "Translation_Text" ("ID1", "Panel Type", "ID2", "Housing Type", "ID3", "Protocol", "ProtocolFile", "MaxLoopLength", "LowestV", "MaxDetectorCount", "MaxModuleCount", "ResistanceToDevice", "ID4", "Options", "ID5", "PowerSupply", "ID6", "Device Type Text", "ID7", "StandbyTimeText", "StandbyTimeNumber", "ID9", "Outputs") VALUES (3, 'VX-4', 3, 'Big Cabinet', 'Prot2', 'Classic', 'LEGACY', 1500, 22, 99, 99, 0, 'Opt2', 'Loop Card 2', 'Psu2', 'PSU 10 A', 2, 'Heat Detector', 2, '48 Hours', 48, 3, 'Auxiliary 24 V 1');
INSERT INTO "Translation_Text" ("ID1", "Panel Type", "ID2", "Housing Type", "ID3", "Protocol", "ProtocolFile", "MaxLoopLength", "LowestV", "MaxDetectorCount", "MaxModuleCount", "ResistanceToDevice", "ID4", "Options", "ID6", "Device Type Text", "ID7", "StandbyTimeText", "StandbyTimeNumber", "ID9", "Outputs") VALUES (4, 'VX-8', 4, 'Big Rack', 'Prot3', 'Apollo', 'Apollo', 2000, 24, 127, 127, 0, 'Opt3', 'Loop Card 4', 10, 'Manual Call Point', 3, '72 Hours', 72, 4, 'Auxiliary 24 V 2');
INSERT INTO "Translation_Text" ("ID1", "Panel Type", "ID4", "Options", "ID6", "Device Type Text", "ID9", "Outputs") VALUES (5, 'VX-2X Extinguishing', 'Opt4', 'Fibre Network Card', 17, 'Flame Detector', 5, 'Board Output 1');
INSERT INTO "Translation_Text" ("ID4", "Options", "ID6", "Device Type Text", "ID9", "Outputs") VALUES ('Opt5', 'PIB', 12, 'Sounder', 6, 'Board Output 2');
INSERT INTO "Translation_Text" ("ID4", "Options", "ID6", "Device Type Text", "ID9", "Outputs") VALUES ('Opt6', 'Printer', 13, 'Beacon', 7, 'Board Output 3');
INSERT INTO "Translation_Text" ("ID4", "Options", "ID6", "Device Type Text", "ID9", "Outputs") VALUES ('Opt7', 'DACT', 14, 'Sounder Beacon', 8, 'Board Output 4');
INSERT INTO "Translation_Text" ("ID4", "Options", "ID6", "Device Type Text", "ID9", "Outputs") VALUES ('Opt8', 'GPRS', 20, 'Input Module', 9, 'Board Output 5');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text", "ID9", "Outputs") VALUES (21, 'Output Module', 10, 'Board Output 6');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text", "ID9", "Outputs") VALUES (22, 'Input/Output Module', 11, 'Board Output 7');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text", "ID9", "Outputs") VALUES (33, 'Loop Isolator', 12, 'Board Output 8');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text", "ID9", "Outputs") VALUES (34, 'Conventional Zone Module', 101, 'Release Output');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text", "ID9", "Outputs") VALUES (40, 'Detector Base', 102, 'Warning Output');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text", "ID9", "Outputs") VALUES (41, 'Remote Indicator', 103, 'Extract Fan Output');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (101, '1I1Ox');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (102, '1Ix');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (103, '1Ox');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (104, '1ZMx');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (105, '3I3Ox');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (106, 'ADx');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (107, 'BASE');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (108, 'CODd');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (109, 'ECU');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (110, 'FDx');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (111, 'HDd');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (112, 'HDx');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (113, 'IDd');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (114, 'IDx');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (115, 'ISO');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (116, 'LED');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (117, 'MCPd');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (118, 'MCPx');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (119, 'ODBx');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (120, 'ODd');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (121, 'ODx');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (122, 'OHDd');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (123, 'OHDx');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (124, 'RLM');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (125, 'SDd');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (126, 'SDx');
INSERT INTO "Translation_Text" ("ID6", "Device Type Text") VALUES (127, 'SPECIAL');
