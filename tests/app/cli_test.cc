// The command-line tool, run as a user runs it: a program folder named by VELMORA_HOME,
// settings of its own, no display.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "cli_fixture.h"
#include "site/database.h"
#include "support/rows.h"
#include "velmora/version.h"

namespace velmora::app {
namespace {

TEST_F(CliTest, CheckOfAPassingSiteGivesOneJsonObjectAndExitsZero) {
  const QJsonObject root = CheckJson(Sample("small-office"), 0);
  EXPECT_EQ(root["site"].toObject()["SiteName"].toString(), "Riverside Office");
  EXPECT_EQ(root["site"].toObject()["StandbyTime"].toDouble(), 24.0);
  const QJsonArray panels = root["panels"].toArray();
  ASSERT_EQ(panels.size(), 1);
  const QJsonObject panel = panels[0].toObject();
  for (const char* key : {"number", "quiescentPanel", "alarmPanel", "quiescentTotal", "alarmTotal",
                          "batteryCapacity"})
    EXPECT_TRUE(panel[key].isDouble()) << key;
  for (const char* key : {"name", "battery", "loopLoads"})
    EXPECT_TRUE(panel[key].isString()) << key;
  EXPECT_EQ(panel["name"].toString(), "Office Main Panel");
  EXPECT_EQ(panel["loopLoads"].toString(), "OK");
  EXPECT_TRUE(panel["battery"].toString().contains(" => "));
  EXPECT_EQ(panel["psuOk"], QJsonValue(true));
  const QJsonArray loops = panel["loops"].toArray();
  ASSERT_EQ(loops.size(), 2);
  for (const QJsonValue& value : loops) {
    const QJsonObject loop = value.toObject();
    for (const char* key : {"number", "quiescent", "alarm", "drop"})
      EXPECT_TRUE(loop[key].isDouble()) << key;
    EXPECT_GT(loop["alarm"].toDouble(), loop["quiescent"].toDouble());
    EXPECT_EQ(loop["status"].toString(), "Loop OK");
    EXPECT_EQ(loop["ok"], QJsonValue(true));
  }
  const QJsonArray outputs = panel["outputs"].toArray();
  ASSERT_EQ(outputs.size(), 2);
  EXPECT_EQ(outputs[0].toObject()["number"].toInt(), 1);
  EXPECT_EQ(outputs[0].toObject()["name"].toString(), "Sounder Circuit 1");
  EXPECT_EQ(outputs[0].toObject()["max"].toInt(), 500);
  // The panel total is the panel's own draw plus its loops and outputs.
  double sum = panel["quiescentPanel"].toDouble();
  for (const QJsonValue& l : loops) sum += l.toObject()["quiescent"].toDouble();
  for (const QJsonValue& o : outputs) sum += o.toObject()["quiescent"].toDouble();
  EXPECT_NEAR(panel["quiescentTotal"].toDouble(), sum, 0.5);
}

TEST_F(CliTest, AnOverloadedLoopExitsOneAndTheSiteFileStaysAsItWas) {
  const QByteArray before = Digest(Sample("large-building"));
  const QJsonObject root = CheckJson(Sample("large-building"), 1);
  EXPECT_EQ(Digest(Sample("large-building")), before);
  const QJsonArray panels = root["panels"].toArray();
  ASSERT_EQ(panels.size(), 4);
  const QJsonObject ward = panels[1].toObject();
  EXPECT_EQ(ward["loopLoads"].toString(), "Loop Overload");
  const QJsonObject atrium = ward["loops"].toArray()[3].toObject();
  EXPECT_EQ(atrium["number"].toInt(), 4);
  EXPECT_EQ(atrium["status"].toString(), "Loop Overload [E04]");
  EXPECT_EQ(atrium["ok"], QJsonValue(false));
  EXPECT_GE(atrium["alarm"].toDouble(), 500.0);
  EXPECT_TRUE(panels[0].toObject()["battery"].toString().endsWith(" - Battery box required"));
  for (const QJsonValue& panel : panels) EXPECT_EQ(panel.toObject()["psuOk"], QJsonValue(true));
}

TEST_F(CliTest, TechnicalDetailAddsTheDropToTheStatus) {
  const QJsonObject root = CheckJson(Sample("small-office"), 0, {"--technical-detail"});
  const QJsonObject loop = root["panels"].toArray()[0].toObject()["loops"].toArray()[0].toObject();
  EXPECT_TRUE(
      loop["status"].toString().contains(QRegularExpression(R"(^Loop OK \(\d+\.\d{3}V\)$)")))
      << loop["status"].toString().toStdString();
}

TEST_F(CliTest, AFileItCannotUseExitsTwoWithAMessage) {
  QFile text(home_.Path("Sites/notes.mdb"));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("not a site at all\n");
  text.close();
  struct Case {
    QStringList args;
    const char* said;
  };
  const Case cases[] = {
      {{"check", home_.Path("Sites/missing.mdb")}, "missing.mdb"},
      {{"check", home_.Path("Sites/notes.mdb"), "--json"}, "notes.mdb"},
      {{"check", home_.Path("DBs/Catalogue.db")}, "Catalogue.db"},
      {{"parts", Sample("small-office"), "--pdf", "x.pdf"}, "usage"},
      {{"report", Sample("small-office"), "--site"}, "--pdf"},
      {{"report", Sample("small-office"), "--site", "--pdf", home_.Path("no/such/dir/x.pdf")},
       "x.pdf"},
      {{"report", Sample("small-office"), "--parts", "--pdf", Sample("small-office")},
       "site file itself"},
      {{}, "usage"},
  };
  const QByteArray site_before = Digest(Sample("small-office"));
  for (const Case& c : cases) {
    const Result r = Cli(c.args);
    EXPECT_EQ(r.exit_code, 2) << c.args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains(c.said)) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
  }
  EXPECT_EQ(Digest(Sample("small-office")), site_before);
}

TEST_F(CliTest, PartsAsCsvAndReportsAsPdf) {
  const Result parts = Cli({"parts", Sample("small-office"), "--csv"});
  EXPECT_EQ(parts.exit_code, 0) << parts.err.toStdString();
  const QStringList lines = parts.out.split("\r\n", Qt::SkipEmptyParts);
  ASSERT_GT(lines.size(), 3);
  EXPECT_EQ(lines[0], "Quantity,X,Part");
  EXPECT_TRUE(lines.contains("1,X,VXP-2010-")) << parts.out.toStdString();
  EXPECT_TRUE(lines.contains("18,X,VD-OD200"));
  EXPECT_TRUE(lines.contains("830m,X,1.5 mm² Cable"));

  const QString pdf = home_.Path("site.pdf");
  const Result site = Cli({"report", Sample("large-building"), "--site", "--pdf", pdf});
  EXPECT_EQ(site.exit_code, 1) << site.err.toStdString();  // written, and the site is overloaded
  QFile file(pdf);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.read(5) == "%PDF-");
  const Result list =
      Cli({"report", Sample("small-office"), "--parts", "--pdf", home_.Path("parts.pdf")});
  EXPECT_EQ(list.exit_code, 0) << list.err.toStdString();
  EXPECT_TRUE(QFile::exists(home_.Path("parts.pdf")));
}

TEST_F(CliTest, AReportReplacesOnlyAnOrdinaryFileAndKeepsALink) {
  const QString fifo = home_.Path("pipe.pdf");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  QStringList targets = {fifo};
  if (::geteuid() == 0) targets << "/dev/null";  // only root could replace a device node
  for (const QString& target : targets) {
    const Result r = Cli({"report", Sample("small-office"), "--site", "--pdf", target});
    EXPECT_EQ(r.exit_code, 2) << target.toStdString();
    EXPECT_TRUE(r.err.contains("not an ordinary file")) << r.err.toStdString();
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_FALSE(S_ISREG(st.st_mode)) << target.toStdString();
  }
  const QString real = home_.Path("real.pdf");
  const QString link = home_.Path("link.pdf");
  {
    QFile old(real);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older report");
  }
  ASSERT_TRUE(QFile::link(real, link));
  const Result r = Cli({"report", Sample("small-office"), "--site", "--pdf", link});
  EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  QFile pdf(real);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_EQ(pdf.read(5), "%PDF-");
}

TEST_F(CliTest, AFileNameThatIsNotValidTextOpens) {
  const QByteArray name = QFile::encodeName(home_.Path("Sites")) + "/caf\xe9.mdb";
  ASSERT_TRUE(QFile::copy(Sample("small-office"), home_.Path("Sites/plain.mdb")));
  ASSERT_EQ(
      ::rename(QFile::encodeName(home_.Path("Sites/plain.mdb")).constData(), name.constData()), 0);
  // QProcess passes its arguments as text, so the bytes go through the shell.
  const QString escaped = QString::fromLatin1(name.toPercentEncoding("/.-_")).replace('%', "\\x");
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("VELMORA_HOME", home_.Root());
  env.insert("XDG_CONFIG_HOME", config_.filePath("user"));
  env.insert("VELMORA_MACHINE_CONFIG", config_.filePath("machine"));
  process.setProcessEnvironment(env);
  process.start("/bin/bash", {"-c", QString("exec \"$0\" check \"$(printf '%1')\"").arg(escaped),
                              QStringLiteral(VELMORA_CLI)});
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
  EXPECT_TRUE(process.readAllStandardOutput().contains("Loop OK"));
}

TEST_F(CliTest, TheLanguageSettingChoosesTheTextsAndTheFormOfNumbers) {
  SetLanguage("de");
  const Result r = Cli({"check", Sample("small-office")});
  EXPECT_EQ(r.exit_code, 0) << r.err.toStdString();
  for (const char* german : {"Ruhestrom (mA)", "Ringleitung OK", "Spannungsabfall (V)",
                             "Ergebnis: Alle Ringleitungen und Netzteile bestehen die Prüfung."})
    EXPECT_TRUE(r.out.contains(german)) << german << "\n" << r.out.toStdString();
  // A loop's currents and drop with a decimal comma, and no English the catalogue translates.
  EXPECT_TRUE(r.out.contains(QRegularExpression(R"(\d+,\d\d +\d+,\d\d +\d+,\d{3})")))
      << r.out.toStdString();
  for (const char* english : {"Drop (V)", "Result:", "Quiescent"})
    EXPECT_FALSE(r.out.contains(english)) << english;
  const Result usage = Cli({"--help"});
  EXPECT_TRUE(usage.out.startsWith("Aufruf: velmora-cli check")) << usage.out.toStdString();
}

// Every value that is not a text: what a script reads.
void MachineFields(const QJsonValue& value, const QString& path, QMap<QString, QJsonValue>* out) {
  if (value.isObject()) {
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it)
      MachineFields(it.value(), path + "." + it.key(), out);
  } else if (value.isArray()) {
    const QJsonArray array = value.toArray();
    for (int i = 0; i < array.size(); ++i)
      MachineFields(array[i], path + QString("[%1]").arg(i), out);
  } else if (!value.isString() || path.contains(".codes[")) {
    out->insert(path, value);
  }
}

TEST_F(CliTest, TheJsonIsTheSameInEveryLanguageSaveForItsTexts) {
  const QJsonObject english = CheckJson(Sample("large-building"), 1);
  SetLanguage("de");
  const QJsonObject german = CheckJson(Sample("large-building"), 1);
  EXPECT_EQ(german["panels"][1]["loops"][3]["status"].toString(), "Ringleitung überlastet [E04]");
  QMap<QString, QJsonValue> english_fields;
  QMap<QString, QJsonValue> german_fields;
  MachineFields(english, "", &english_fields);
  MachineFields(german, "", &german_fields);
  EXPECT_GT(english_fields.size(), 100);
  for (auto it = english_fields.begin(); it != english_fields.end(); ++it)
    EXPECT_EQ(german_fields.value(it.key()), it.value()) << it.key().toStdString();
  EXPECT_EQ(german_fields.size(), english_fields.size());
}

TEST_F(CliTest, TheJsonHasTheOverallVerdictTheCodesAndNoBinaryNoise) {
  const Result r = Cli({"check", Sample("large-building"), "--json"});
  EXPECT_EQ(r.exit_code, 1);
  // The sums of the stored currents carry noise in their last binary digits (28.1 + 1.1 gives
  // 29.200000000000003); the JSON has the stored precision.
  EXPECT_FALSE(r.out.contains(QRegularExpression(R"(\d\.\d{11,})"))) << r.out.toStdString();
  const QJsonObject root = QJsonDocument::fromJson(r.out.toUtf8()).object();
  EXPECT_EQ(root["passed"], QJsonValue(false));
  EXPECT_EQ(root["panels"][0]["loops"][2]["quiescent"].toDouble(), 29.2);
  const QJsonArray ward = root["panels"][1]["loops"].toArray();
  EXPECT_EQ(ward[3]["codes"].toArray(), QJsonArray{"E04"});
  EXPECT_EQ(ward[0]["codes"].toArray(), QJsonArray{});
  EXPECT_EQ(root["panels"][1]["loopsOk"], QJsonValue(false));
  EXPECT_EQ(root["panels"][0]["loopsOk"], QJsonValue(true));
  EXPECT_EQ(root["panels"][0]["batteryBoxRequired"], QJsonValue(true));
  EXPECT_EQ(root["panels"][1]["batteryBoxRequired"], QJsonValue(false));
  EXPECT_EQ(CheckJson(Sample("small-office"), 0)["passed"], QJsonValue(true));
}

// The shape of a JSON value: the type of every scalar; the keys of every object with their
// shapes; for an array, the shapes of all its elements merged into one. A field that is null in
// some elements keeps the shape of the others, marked {"optional": shape}.
QJsonValue Shape(const QJsonValue& value);

QJsonValue Optional(const QJsonValue& shape) {
  const QJsonObject object = shape.toObject();
  if (object.size() == 1 && object.contains("optional")) return shape;
  return QJsonObject{{"optional", shape}};
}

QJsonValue Merge(const QJsonValue& a, const QJsonValue& b) {
  if (a.isUndefined()) return b;
  if (b.isUndefined()) return a;
  const QJsonValue null("null");
  if (a == null || b == null) return a == b ? a : Optional(a == null ? b : a);
  const bool optional = Optional(a) == a || Optional(b) == b;
  const QJsonValue x = Optional(a) == a ? a["optional"] : a;
  const QJsonValue y = Optional(b) == b ? b["optional"] : b;
  QJsonValue merged;
  if (x.isArray() && y.isArray()) {
    // Arrays of the same shape, an empty one taking that of the other.
    const QJsonValue element =
        Merge(x.toArray().isEmpty() ? QJsonValue(QJsonValue::Undefined) : x[0],
              y.toArray().isEmpty() ? QJsonValue(QJsonValue::Undefined) : y[0]);
    merged = element.isUndefined() ? QJsonArray{} : QJsonArray{element};
  } else if (!x.isObject() || !y.isObject()) {
    merged = x == y ? x : QJsonValue("mixed");
  } else {
    QJsonObject fields = x.toObject();
    const QJsonObject other = y.toObject();
    for (auto it = other.begin(); it != other.end(); ++it)
      fields[it.key()] = Merge(fields.value(it.key()), it.value());
    merged = fields;
  }
  return optional ? Optional(merged) : merged;
}

QJsonValue Shape(const QJsonValue& value) {
  switch (value.type()) {
    case QJsonValue::Object: {
      QJsonObject shape;
      const QJsonObject object = value.toObject();
      for (auto it = object.begin(); it != object.end(); ++it) shape[it.key()] = Shape(it.value());
      return shape;
    }
    case QJsonValue::Array: {
      QJsonValue element(QJsonValue::Undefined);
      for (const QJsonValue& item : value.toArray()) element = Merge(element, Shape(item));
      return element.isUndefined() ? QJsonArray{} : QJsonArray{element};
    }
    case QJsonValue::Bool:
      return "boolean";
    case QJsonValue::Double:
      return "number";
    case QJsonValue::String:
      return "string";
    default:
      return "null";
  }
}

TEST_F(CliTest, TheJsonHasTheShapeOfTheDocumentedExample) {
  QFile doc(testing::SourcePath("docs/cli.md"));
  ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(doc.readAll());
  const auto block =
      QRegularExpression("```json\n(.*?)\n```", QRegularExpression::DotMatchesEverythingOption)
          .match(text);
  ASSERT_TRUE(block.hasMatch());
  QJsonParseError error;
  const QJsonDocument example = QJsonDocument::fromJson(block.captured(1).toUtf8(), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();

  const QJsonObject actual = CheckJson(Sample("large-building"), 1);
  const QJsonValue documented = Shape(example.object());
  const QJsonValue shown = Shape(actual);
  EXPECT_EQ(documented, shown) << QJsonDocument(shown.toObject()).toJson().toStdString();

  // Every field of a panel, a loop, its profile and an output is described in the table of
  // fields too.
  const QJsonObject panel = shown["panels"][0].toObject();
  QStringList keys = panel.keys();
  const QJsonObject loop = panel["loops"][0].toObject();
  keys += loop.keys();
  const QJsonObject profile = loop["profile"].toObject();
  ASSERT_FALSE(profile.isEmpty());
  keys += profile.keys();
  keys += profile["weakestDevice"]["optional"].toObject().keys();
  keys += panel["outputs"][0].toObject().keys();
  EXPECT_GT(keys.size(), 35);
  for (const QString& key : keys)
    EXPECT_TRUE(text.contains("`" + key + "`") || text.contains("." + key + "`") ||
                text.contains("." + key + "[]`") || text.contains(", `" + key))
        << key.toStdString();
}

// A loop that its check passes, fed from both ends with volts to spare, but whose first
// sounders fall below their 16 V when the cable breaks beside the panel: 3000 m of 2.5 mm² with
// the sounders first along the loop. The advisory is told beside the verdict and changes none.
TEST_F(CliTest, TheProfileAdvisesWithoutChangingTheVerdict) {
  const QString site = home_.Path("Sites/long-loop.mdb");
  ASSERT_TRUE(QFile::copy(Sample("small-office"), site));
  {
    site::Database db("Velmora Site", site);
    db.Open();
    db.Execute(R"(UPDATE "Loops" SET "Length" = 3000, "Resistance" = 7.4, "CableSpec" = 5
                  WHERE "PanelNumber" = 1 AND "LoopNumber" = 1)");
    db.Execute(R"(UPDATE "Devices" SET "DeviceQuantity" = 18, "DeviceTypeCode" = 12,
                  "DeviceTypeText" = 'Sounder', "DeviceSub-Type" = 'VD-SN200'
                  WHERE rowid = (SELECT min(rowid) FROM "Devices" WHERE "Loop" = 1))");
  }
  const QJsonObject root = CheckJson(site, 0);
  EXPECT_EQ(root["passed"], QJsonValue(true));
  const QJsonObject loop = root["panels"][0]["loops"][0].toObject();
  EXPECT_EQ(loop["ok"], QJsonValue(true));
  EXPECT_EQ(loop["status"].toString(), "Loop OK");
  const QJsonObject profile = loop["profile"].toObject();
  EXPECT_EQ(profile["minVoltageOk"], QJsonValue(false));
  EXPECT_EQ(profile["breakAt"].toDouble(), 0.0);
  // The check's one voltage lies between the two: above every minimum, above the lowest device
  // broken, below the lowest fed from both ends.
  const double vlow = 27.0;
  const double u = vlow - loop["drop"].toDouble();
  EXPECT_LT(profile["lowestBroken"].toDouble(), 16.0);
  EXPECT_GT(u, 16.0);
  EXPECT_GT(profile["lowestHealthy"].toDouble(), u);
  const QJsonObject weakest = profile["weakestDevice"].toObject();
  EXPECT_EQ(weakest["device"].toInt(), 1);
  EXPECT_EQ(weakest["name"].toString(), "Device 1 (Sounder - VD-SN200)");
  EXPECT_EQ(weakest["lowestV"].toDouble(), 16.0);
  EXPECT_EQ(weakest["broken"].toDouble(), profile["lowestBroken"].toDouble());
  EXPECT_NEAR(weakest["margin"].toDouble(), weakest["broken"].toDouble() - 16.0, 1e-9);
  // The other loop: 25 devices and 2 isolators.
  const QJsonObject other = root["panels"][0]["loops"][1]["profile"].toObject();
  EXPECT_EQ(other["minVoltageOk"], QJsonValue(true));
  EXPECT_EQ(other["devicesPerSection"].toDouble(), 7.67);

  const Result table = Cli({"check", site});
  EXPECT_EQ(table.exit_code, 0);
  EXPECT_TRUE(table.out.contains(
      "  i Loop 1: Below the lowest operating voltage of a device with the cable broken\n"))
      << table.out.toStdString();
  EXPECT_EQ(table.out.count("  i "), 1);
  for (const char* heading : {"Both ends (V)", "Broken (V)"})
    EXPECT_TRUE(table.out.contains(heading)) << heading;
  EXPECT_TRUE(table.out.contains(QString::number(profile["lowestBroken"].toDouble(), 'f', 2) +
                                 "    Loop OK"))
      << table.out.toStdString();
}

TEST_F(CliTest, HelpAndVersionExitZero) {
  const Result version = Cli({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, QString("velmora-cli %1\n").arg(velmora::kVersion));
  EXPECT_TRUE(version.out.contains(QRegularExpression(R"(^velmora-cli \d+\.\d+\n$)")));
  for (const QStringList& args :
       {QStringList{"--help"}, QStringList{"-h"}, QStringList{"check", "--help"}}) {
    const Result r = Cli(args);
    EXPECT_EQ(r.exit_code, 0) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    for (const char* line : {"velmora-cli check SITE.mdb", "velmora-cli report SITE.mdb",
                             "velmora-cli parts SITE.mdb", "velmora-cli generate", "Exit status"})
      EXPECT_TRUE(r.out.contains(line)) << line;
  }
}

TEST_F(CliTest, TheSameWarningIsGivenOnce) {
  // Loop 4 of the first panel overloaded like the atrium loop of the second: the check warns
  // "Loop 4 : Loop Overload [E04]" for both, with passing loops between them.
  const QString site = home_.Path("Sites/two-atria.mdb");
  ASSERT_TRUE(QFile::copy(Sample("large-building"), site));
  {
    site::Database db("Velmora Site", site);
    db.Open();
    testing::InsertRow(db, "Devices",
                       {{"Panel", 1},
                        {"Loop", 4},
                        {"DeviceQuantity", 28},
                        {"DeviceTypeCode", 12},
                        {"DeviceTypeText", "Sounder"},
                        {"DeviceSub-Type", "VD-SN210"}});
    db.Execute(R"(UPDATE "Loops" SET "CableSpec" = 5, "Resistance" = 8
                  WHERE "PanelNumber" = 1 AND "LoopNumber" = 4)");
  }
  const Result r = Cli({"check", site, "--json"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.err.count("velmora-cli: warning: Loop 4 : Loop Overload [E04]\n"), 1)
      << r.err.toStdString();
  const QJsonObject root = QJsonDocument::fromJson(r.out.toUtf8()).object();
  EXPECT_EQ(root["panels"][0]["loops"][3]["codes"].toArray(), QJsonArray{"E04"});
  EXPECT_EQ(root["panels"][1]["loops"][3]["codes"].toArray(), QJsonArray{"E04"});
}

}  // namespace
}  // namespace velmora::app
