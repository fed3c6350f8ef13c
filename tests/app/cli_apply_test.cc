// velmora-cli apply: scripts of actions carried out through the same layer as the desktop
// program, on a copy of the site, the result written into a new file.
#include <gtest/gtest.h>

#include <QJsonArray>

#include "action/action.h"
#include "cli_fixture.h"
#include "site/database.h"

namespace velmora::app {
namespace {

class ApplyTest : public CliTest {
 protected:
  QString Script(const char* name, const QByteArray& lines) {
    const QString file = home_.Path(QString("Sites/%1.jsonl").arg(name));
    QFile out(file);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(lines);
    return file;
  }
  QString Out(const char* name) { return home_.Path(QString("Sites/%1.mdb").arg(name)); }
  // A cell of the first row of a table of a site file matching a condition.
  QVariant Cell(const QString& file, const char* table, const char* where, const char* column) {
    site::Database db("probe", file);
    db.Open({.read_only = true});
    return db.QueryValue(QString("SELECT \"%1\" FROM \"%2\" WHERE %3").arg(column, table, where));
  }
};

TEST_F(ApplyTest, TheExampleScriptBuildsASiteFromNothingAndLeavesTheSiteFileAlone) {
  const QByteArray before = Digest(Sample("small-office"));
  const QString out = Out("designed");
  const Result r =
      Cli({"apply", Sample("small-office"), testing::SourcePath("examples/office-design.jsonl"),
           "--out", out, "--json"});
  ASSERT_EQ(r.exit_code, 0) << r.err.toStdString();
  EXPECT_EQ(Digest(Sample("small-office")), before);
  const QJsonObject report = QJsonDocument::fromJson(r.out.toUtf8()).object();
  EXPECT_TRUE(report["carried"].toBool());
  EXPECT_EQ(report["out"].toString(), QFileInfo(out).absoluteFilePath());
  EXPECT_EQ(report["lines"].toArray().size(), 24);
  for (const QJsonValue& line : report["lines"].toArray())
    EXPECT_EQ(line["status"].toString(), "done") << line["line"].toInt();

  EXPECT_EQ(Cell(out, "Site", "1", "SiteName").toString(), "Harbour Office");
  EXPECT_EQ(Cell(out, "Panels", "\"Panel Number\" = 2", "Panel Name").toString(), "First Floor");
  EXPECT_EQ(Cell(out, "Devices", "Panel = 2 AND Loop = 2 AND \"DeviceSub-Type\" = 'VD-SN200'",
                 "DeviceQuantity")
                .toInt(),
            6);
  // The file is a site like any other: checked, it passes, with the results the script left.
  const QJsonObject check = CheckJson(out, 0);
  EXPECT_EQ(check["panels"][0]["loops"][0]["alarm"].toDouble(), 159.0);
}

TEST_F(ApplyTest, ARefusedLineChangesNothingAndTheScriptGoesOn) {
  const QString script = Script("partly", R"({"action": "add-panel"}
{"action": "set-device-type", "panel": 2, "loop": 1, "row": 1, "type": "Optical Detector"}
{"action": "set-device-sub-type", "panel": 2, "loop": 1, "row": 1, "sub_type": "VD-OD200"}
{"action": "set-device-quantity", "panel": 2, "loop": 1, "row": 1, "quantity": 20}
{"action": "set-device-quantity", "panel": 2, "loop": 1, "row": 1, "quantity": 500}
{"action": "set-length", "panel": 2, "loop": 1, "length": "long"}

{"action": "delete-panel", "panel": 1}
{"action": "set-panel-name", "panel": 2, "name": "Annex"}
{"action": "set-panel-name", "panel": 2, "name": "Annex West"}
{"action": "undo"}
{"action": "redo"}
{"action": "redo"}
)");
  const Result r = Cli({"apply", Sample("small-office"), script, "--out", Out("partly"), "--json"});
  EXPECT_EQ(r.exit_code, 1) << r.err.toStdString();
  // Each message with the line it came from; the unanswered question got the cautious answer.
  EXPECT_TRUE(r.err.contains("velmora-cli: line 5: Too many device per loop entered."))
      << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("velmora-cli: line 6: the parameter \"length\""))
      << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("velmora-cli: line 8: question answered Cancel: Are you sure"))
      << r.err.toStdString();
  const QJsonArray lines = QJsonDocument::fromJson(r.out.toUtf8()).object()["lines"].toArray();
  QStringList statuses;
  for (const QJsonValue& line : lines)
    statuses << QString("%1 %2").arg(line["line"].toInt()).arg(line["status"].toString());
  EXPECT_EQ(statuses,
            QStringList({"1 done", "2 done", "3 done", "4 done", "5 refused", "6 refused",
                         "8 declined", "9 done", "10 done", "11 done", "12 done", "13 unchanged"}));
  EXPECT_FALSE(lines[4]["messages"].toArray().isEmpty());

  const QString out = Out("partly");
  EXPECT_EQ(Cell(out, "Devices", "Panel = 2 AND Loop = 1", "DeviceQuantity").toInt(), 20);
  EXPECT_EQ(Cell(out, "Panels", "\"Panel Number\" = 1", "Panel Name").toString(),
            "Office Main Panel");
  // Typing one name after the other is one step: undone and made again, the last name stands.
  EXPECT_EQ(Cell(out, "Panels", "\"Panel Number\" = 2", "Panel Name").toString(), "Annex West");
}

TEST_F(ApplyTest, AScriptOrTargetThatCannotBeUsedWritesNothing) {
  const QString taken = Out("taken");
  ASSERT_TRUE(QFile::copy(Sample("large-building"), taken));
  const QByteArray taken_before = Digest(taken);
  const QString good = Script("good", "{\"action\": \"add-panel\"}\n");
  const struct {
    const char* what;
    QStringList args;
    const char* message;
  } cases[] = {
      {"no JSON",
       {Script("bad", "{\"action\": \"add-panel\"}\n\n{\"action\": \"add-panel\"\n"), "--out",
        Out("a")},
       "bad.jsonl: line 3: not JSON"},
      {"no object", {Script("list", "[1, 2]\n"), "--out", Out("b")}, "line 1: not a JSON object"},
      {"no action",
       {Script("none", "{\"panel\": 1}\n"), "--out", Out("c")},
       "line 1: no \"action\" given"},
      {"unknown action",
       {Script("unknown", "{\"action\": \"add-panel\"}\n{\"action\": \"paint-panel\"}\n"), "--out",
        Out("d")},
       "line 2: unknown action \"paint-panel\""},
      {"unknown parameter",
       {Script("param", "{\"action\": \"add-panel\", \"colour\": \"red\"}\n"), "--out", Out("e")},
       "line 1: the action \"add-panel\" has no parameter \"colour\""},
      {"existing target", {good, "--out", taken}, "already exists"},
      {"the site itself", {good, "--out", Sample("small-office")}, "already exists"},
      {"no target", {good}, "give --out OUT.mdb"},
      {"no script file", {home_.Path("Sites/missing.jsonl"), "--out", Out("f")}, "cannot be read"},
  };
  const QByteArray site_before = Digest(Sample("small-office"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Result r = Cli(QStringList{"apply", Sample("small-office")} + c.args);
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
  }
  for (const char* name : {"a", "b", "c", "d", "e", "f"}) EXPECT_FALSE(QFile::exists(Out(name)));
  EXPECT_EQ(Digest(taken), taken_before);
  EXPECT_EQ(Digest(Sample("small-office")), site_before);
}

TEST_F(ApplyTest, TheVocabularyIsDocumentedActionByAction) {
  QFile doc(testing::SourcePath("docs/actions.md"));
  ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(doc.readAll());
  for (const action::Definition& d : action::Vocabulary()) {
    EXPECT_TRUE(text.contains(QString("### `%1`").arg(d.name))) << d.name;
    for (const action::Param& p : d.params)
      EXPECT_TRUE(text.contains(QString("`%1`").arg(p.name))) << d.name << " " << p.name;
  }
}

}  // namespace
}  // namespace velmora::app
