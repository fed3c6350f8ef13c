-- The battery range the battery sizing picks from, smallest first: capacity in Ah as shown, and
-- the model code listed in the parts list.
INSERT INTO "BatteryModels" ("Range", "Position", "Capacity", "Model") VALUES ('Halvo', 0, '7.2', 'VB-1207');
INSERT INTO "BatteryModels" ("Range", "Position", "Capacity", "Model") VALUES ('Halvo', 1, '12', 'VB-1212');
INSERT INTO "BatteryModels" ("Range", "Position", "Capacity", "Model") VALUES ('Halvo', 2, '18', 'VB-1218');
INSERT INTO "BatteryModels" ("Range", "Position", "Capacity", "Model") VALUES ('Halvo', 3, '26', 'VB-1226');
INSERT INTO "BatteryModels" ("Range", "Position", "Capacity", "Model") VALUES ('Halvo', 4, '45', 'VB-1245');
INSERT INTO "BatteryModels" ("Range", "Position", "Capacity", "Model") VALUES ('Halvo', 5, '65', 'VB-1265');
