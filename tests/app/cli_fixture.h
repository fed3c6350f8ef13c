#pragma once

// The command-line tool run as a user runs it: a program folder named by VELMORA_HOME, settings
// of its own, no display; the sample sites in its Sites folder.

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "support/test_home.h"

namespace velmora::app {

struct Result {
  int exit_code = -1;
  QString out;
  QString err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_.CopyFromBuild("locale/de/LC_MESSAGES/default.mo");
    for (const char* sample : {"small-office", "large-building"})
      home_.CopyFromBuild(QString("Sites/%1.mdb").arg(sample));
  }

  QString Sample(const char* name) { return home_.Path(QString("Sites/%1.mdb").arg(name)); }

  Result Cli(const QStringList& args) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELMORA_HOME", home_.Root());
    env.insert("XDG_CONFIG_HOME", config_.filePath("user"));
    env.insert("VELMORA_MACHINE_CONFIG", config_.filePath("machine"));
    env.remove("QT_QPA_PLATFORM");  // the tool needs no display of its own choosing
    env.remove("DISPLAY");
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VELMORA_CLI), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
  }

  QJsonObject CheckJson(const QString& site, int expected_exit, QStringList extra = {}) {
    const Result r = Cli(QStringList{"check", site, "--json"} + extra);
    EXPECT_EQ(r.exit_code, expected_exit) << r.err.toStdString();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    return doc.object();
  }

  void SetLanguage(const char* language) {
    QDir().mkpath(config_.filePath("user/Velmora"));
    QFile ini(config_.filePath("user/Velmora/Velmora.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QByteArray("[General]\nLanguage=") + language + "\n");
  }

  static QByteArray Digest(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
  }

  testing::TestHome home_;
  QTemporaryDir config_;
};

}  // namespace velmora::app
