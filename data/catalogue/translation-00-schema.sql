-- Layout of the lookup store (DBs/Translation.db, data source "Velmora Translation").
-- Independent lists side by side: a row belongs to a family when that family's key is set.
-- Rows come from the translation-1*.sql files that follow this one; their order matters.
CREATE TABLE "Translation_Text" (
  "ID1" INTEGER,
  "Panel Type" TEXT,
  "ID2" INTEGER,
  "Housing Type" TEXT,
  "ID3" TEXT,
  "Protocol" TEXT,
  "ProtocolFile" TEXT,
  "MaxLoopLength" INTEGER,
  "LowestV" FLOAT,
  "MaxDetectorCount" INTEGER,
  "MaxModuleCount" INTEGER,
  "ResistanceToDevice" FLOAT,
  "ID4" TEXT,
  "Options" TEXT,
  "ID5" TEXT,
  "PowerSupply" TEXT,
  "ID6" INTEGER,
  "Device Type Text" TEXT,
  "ID7" INTEGER,
  "StandbyTimeText" TEXT,
  "StandbyTimeNumber" FLOAT,
  "ID8" INTEGER,
  "AlarmTimeText" TEXT,
  "AlarmTimeNumber" FLOAT,
  "ID9" INTEGER,
  "Outputs" TEXT
);
