-- Sample site: a small office with one panel on two loops. The build runs this after the
-- blank site schema and then lets the program work out every current and check, so the stored
-- results are the program's own.

INSERT INTO "Site" ("SiteName", "SiteDate", "ContactName", "AddressLine1", "AddressLine2", "City",
                    "State/Province", "PostalCode", "Country", "Phone", "Fax", "Email", "Comment",
                    "StandbyTime", "AlarmTime", "SalesChannel")
VALUES ('Riverside Office', '2025-03-14', 'Anna Lindqvist', '12 Quay Street', 'Second floor',
        'Lakeside', 'North Shore', '4021', 'Examplia', '+00 21 555 0142', '+00 21 555 0143',
        'facilities@riverside-office.example',
        'Open-plan office on one floor with a meeting suite. Sounders and beacons on the loops.',
        24, 0.5, 'Tarvik');

INSERT INTO "Panels" ("Panel Number", "Panel Name", "Panel Type", "Housing Type", "SalesChannel",
                      "Prot0", "Psu0", "OKBooleanLoops", "OKBooleanPSU")
VALUES (1, 'Office Main Panel', 2, 1, 'Tarvik', 1, 1, 1, 1);

INSERT INTO "Loops" ("PanelNumber", "LoopNumber", "Loop", "CableSpec", "Resistance", "Length",
                     "AlarmIndicators", "OneLocation", "OneLocationLength", "Spread",
                     "SpreadLength", "QuiescentCurrent", "AlarmCurrent", "Drop", "OK", "OKBoolean")
VALUES (1, 1, 'Loop 1', 3, 13, 450, 10, 0, 0, 1, 25, 0, 0, 0, 'Loop OK', 1),
       (1, 2, 'Loop 2', 3, 13, 380, 10, 0, 0, 1, 20, 0, 0, 0, 'Loop OK', 1);

INSERT INTO "Devices" ("Panel", "Loop", "DeviceQuantity", "DeviceTypeCode", "DeviceTypeText",
                       "DeviceSub-Type")
VALUES (1, 1, 18, 1, 'Optical Detector', 'VD-OD200'),
       (1, 1, 4, 10, 'Manual Call Point', 'VD-CP200'),
       (1, 1, 6, 12, 'Sounder', 'VD-SN200'),
       (1, 1, 2, 33, 'Loop Isolator', 'VD-IS200'),
       (1, 2, 12, 0, 'Multisensor Detector', 'VD-MS200'),
       (1, 2, 3, 2, 'Heat Detector', 'VD-HD200'),
       (1, 2, 3, 10, 'Manual Call Point', 'VD-CP200'),
       (1, 2, 5, 13, 'Beacon', 'VD-BC200'),
       (1, 2, 2, 33, 'Loop Isolator', 'VD-IS200');

INSERT INTO "Outputs" ("Panel", "OutputNumber", "Output", "MAX", "QuiesentCurrent", "AlarmCurrent")
VALUES (1, 1, 'Sounder Circuit 1', 500, 2, 150),
       (1, 2, 'Sounder Circuit 2', 500, 2, 120);
