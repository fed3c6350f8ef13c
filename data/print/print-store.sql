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

-- The voltage along every loop that has one, in the loops' stored order: the loop's name and
-- status as the Currents lines give them, its two lowest voltages, the device closest to its own
-- lowest operating voltage with its margin, the advisories (texts in the language of the run,
-- one a line) and the figure as one line of text.
CREATE TABLE "LoopProfiles" (
  "PanelNumber" INTEGER,
  "LoopNumber" INTEGER,
  "Loop" TEXT,
  "Status" TEXT,
  "LowestHealthy" TEXT,
  "LowestBroken" TEXT,
  "WeakestDevice" TEXT,
  "Margin" TEXT,
  "Advisories" TEXT,
  "Figure" TEXT
);
