-- Blank site document. The build turns this into DBs/CleanSite.mdb.
-- Column names are the contract between every part of the program: keep their spelling,
-- blanks, hyphen and slash exactly as they are.
PRAGMA application_id = 1447840082;  -- 0x564C4952, 'VLIR': a site document of this program
PRAGMA user_version = 1;

CREATE TABLE "Site" (
  "SiteName" TEXT,
  "SiteDate" DATE,
  "ContactName" TEXT,
  "AddressLine1" TEXT,
  "AddressLine2" TEXT,
  "City" TEXT,
  "State/Province" TEXT,
  "PostalCode" TEXT,
  "Country" TEXT,
  "Phone" TEXT,
  "Fax" TEXT,
  "Email" TEXT,
  "Comment" TEXT,
  "StandbyTime" REAL,
  "AlarmTime" REAL,
  "SalesChannel" TEXT
);

CREATE TABLE "Panels" (
  "Panel Number" INTEGER,
  "Panel Name" TEXT,
  "Panel Type" INTEGER,
  "Housing Type" INTEGER,
  "SalesChannel" TEXT,
  "Prot0" BIT NOT NULL DEFAULT 0,
  "Prot1" BIT NOT NULL DEFAULT 0,
  "Prot2" BIT NOT NULL DEFAULT 0,
  "Prot3" BIT NOT NULL DEFAULT 0,
  "Opt0" BIT NOT NULL DEFAULT 0,
  "Opt1" BIT NOT NULL DEFAULT 0,
  "Opt2" BIT NOT NULL DEFAULT 0,
  "Opt3" BIT NOT NULL DEFAULT 0,
  "Opt4" BIT NOT NULL DEFAULT 0,
  "Opt5" BIT NOT NULL DEFAULT 0,
  "Opt6" BIT NOT NULL DEFAULT 0,
  "Opt7" BIT NOT NULL DEFAULT 0,
  "Opt8" BIT NOT NULL DEFAULT 0,
  "Psu0" BIT NOT NULL DEFAULT 0,
  "Psu1" BIT NOT NULL DEFAULT 0,
  "Psu2" BIT NOT NULL DEFAULT 0,
  "Quiescent Current Panel" TEXT,
  "Alarm Current Panel" TEXT,
  "Quiescent Current Total" TEXT,
  "Alarm Current Total" TEXT,
  "Battery Capacity" TEXT,
  "Battery" TEXT,
  "Loop Loads" TEXT,
  "OKBooleanLoops" BIT NOT NULL DEFAULT 0,
  "OKBooleanPSU" BIT NOT NULL DEFAULT 0
);

CREATE TABLE "Loops" (
  "PanelNumber" INTEGER,
  "LoopNumber" INTEGER,
  "Loop" TEXT,
  "CableSpec" INTEGER,
  "Resistance" REAL,
  "Length" INTEGER,
  "AlarmIndicators" INTEGER,
  "OneLocation" BIT NOT NULL DEFAULT 0,
  "OneLocationLength" INTEGER,
  "Spread" BIT NOT NULL DEFAULT 0,
  "SpreadLength" INTEGER,
  "QuiescentCurrent" REAL,
  "AlarmCurrent" REAL,
  "Drop" REAL,
  "OK" TEXT,
  "OKBoolean" BIT NOT NULL DEFAULT 0
);

CREATE TABLE "Devices" (
  "ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "Panel" INTEGER,
  "Loop" INTEGER,
  "DeviceQuantity" INTEGER,
  "DeviceTypeCode" INTEGER,
  "DeviceTypeText" TEXT,
  "DeviceSub-Type" TEXT,
  "UnitQuiesentCurrent" REAL,
  "QuiesentCurrent" REAL,
  "UnitAlarmCurrent" REAL,
  "AlarmCurrent" REAL,
  "LowestV" REAL,
  "CountGroup" TEXT
);

CREATE TABLE "Outputs" (
  "Panel" INTEGER,
  "OutputNumber" INTEGER,
  "Output" TEXT,
  "MAX" INTEGER,
  "QuiesentCurrent" REAL,
  "AlarmCurrent" REAL
);

CREATE TABLE "Currents" (
  "Panel" INTEGER,
  "CurrentType" INTEGER,
  "Description" TEXT,
  "QuiescentCurrent" REAL,
  "AlarmCurrent" REAL,
  "Comment" TEXT
);

-- Keyed reads of the recalculation chains.
CREATE INDEX "Panels by number" ON "Panels" ("Panel Number");
CREATE INDEX "Loops by panel" ON "Loops" ("PanelNumber", "LoopNumber");
CREATE INDEX "Devices by loop" ON "Devices" ("Panel", "Loop");
CREATE INDEX "Outputs by panel" ON "Outputs" ("Panel", "OutputNumber");
CREATE INDEX "Currents by panel" ON "Currents" ("Panel");
