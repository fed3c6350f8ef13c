-- The print store (DBs/Print.db, data source "Velmora Print"). Every report run deletes and
-- rewrites these rows; the report renderer reads nothing else.

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
  "StandbyTime" TEXT,
  "AlarmTime" TEXT,
  "SalesChannel" TEXT
);

-- Section headings and field labels in the language of the run that filled the store.
CREATE TABLE "Sections" (
  "PanelProperties" TEXT,
  "TotalCurrents" TEXT,
  "DeviceProperties" TEXT,
  "SiteName" TEXT,
  "SiteDate" TEXT,
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
  "SalesChannel" TEXT,
  "StandbyTime" TEXT,
  "AlarmTime" TEXT,
  "Partlist" TEXT
);

-- Rows of every panel, each carrying the number of its panel so a layout can group them.
CREATE TABLE "Panels" ("PanelNumber" INTEGER, "Tier 1" TEXT, "Tier 2" TEXT, "Tier 3" TEXT);
CREATE TABLE "PanelDetails" ("PanelNumber" INTEGER, "Tier 1" TEXT, "Tier 2" TEXT, "Tier 3" TEXT);
CREATE TABLE "Currents" ("PanelNumber" INTEGER, "Tier 1" TEXT, "Tier 2" TEXT, "Tier 3" TEXT, "Tier 4" TEXT);
CREATE TABLE "Devices" ("PanelNumber" INTEGER, "Tier 1" TEXT, "Tier 2" TEXT, "Tier 3" TEXT, "Tier 4" TEXT);
CREATE TABLE "PartsList" ("PanelNumber" INTEGER, "Tier 1" TEXT, "Tier 2" TEXT, "Tier 3" TEXT);

-- The tables Loops, Battery and LoopProfiles came later; reports::PrintStore makes them on opening a store
-- that lacks them, this one and the stores of older installations alike.
