// The site's date in the site view: shown in the form of the run's language, stored as it always
// was, and a date typed in the shown form stored as the date it is.
#include <gtest/gtest.h>

#include "electrical/site_rows.h"
#include "i18n/translation.h"
#include "site/table.h"
#include "support/scripted_prompter.h"
#include "support/test_home.h"
#include "workspace/site_properties.h"
#include "workspace/workspace.h"

namespace velmora::workspace {
namespace {

class SiteDateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_.CopyFromBuild("locale/de/LC_MESSAGES/default.mo");
    workspace_ = std::make_unique<Workspace>(home_.Folder(), prompter_);
    workspace_->OpenTables();
    workspace_->StartSession();
  }

  void TearDown() override {
    workspace_.reset();
    i18n::SetUpTranslation(home_.Folder().LocaleFolder(), "en");
  }

  // English has no catalogue: its texts are the sources.
  void Speak(const char* language) {
    const QString loaded = i18n::SetUpTranslation(home_.Folder().LocaleFolder(), language);
    if (QLatin1String(language) == "de") {
      ASSERT_EQ(loaded, "de");
    }
  }

  // The date as the file holds it, written past the rules as an older file or another program
  // may have written it.
  void StoreDate(const QString& text) {
    site::Table& site = workspace_->Doc().Site();
    site.First();
    site.SetValue("SiteDate", text);
    site.Post();
  }
  QString StoredDate() {
    const std::vector<site::Row> rows = workspace_->Doc().Db().Select("Site");
    return electrical::TextAt(rows.front(), workspace_->Doc().Db().ColumnIndex("Site", "SiteDate"));
  }

  testing::TestHome home_;
  testing::ScriptedPrompter prompter_;
  std::unique_ptr<Workspace> workspace_;
  SiteFormModel form_;
};

TEST_F(SiteDateTest, TheViewShowsAStoredDateInTheLanguagesFormAndAnyOtherTextAsItIs) {
  const struct {
    const char* language;
    const char* stored;
    const char* shown;
  } cases[] = {
      {"de", "2025-01-02", "02.01.2025"},
      {"en", "2025-01-02", "1/2/2025"},
      {"de", "2025-01-02 00:00:00", "02.01.2025"},  // with the time an older file may hold
      {"de", "2025-01-02 and later", "2025-01-02 and later"},
      {"de", "2025-13-45", "2025-13-45"},
      {"de", "Spring 2025", "Spring 2025"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    Speak(c.language);
    StoreDate(c.stored);
    RenderSiteForm(workspace_->Data(), form_);
    EXPECT_EQ(form_.ShownText("SiteDate"), c.shown);
    EXPECT_EQ(form_.FieldText("SiteDate"), c.stored);
    EXPECT_EQ(StoredDate(), c.stored);  // showing it changes nothing
  }
}

TEST_F(SiteDateTest, ADateTypedInTheShownFormIsStoredAsTheDateAndAnyOtherTextAsTyped) {
  const struct {
    const char* language;
    const char* typed;
    const char* stored;
  } cases[] = {
      {"de", "03.01.2025", "2025-01-03"},
      {"de", " 3.1.2025 ", "2025-01-03"},
      {"de", "2025-01-04", "2025-01-04"},  // the stored form is taken in every language
      {"de", "03.01.25", "03.01.25"},      // a year of two digits could be any century
      {"de", "31.02.2025", "31.02.2025"},  // no such day
      {"de", "1/3/2025", "1/3/2025"},      // the English form in a German run
      {"en", "1/3/2025", "2025-01-03"},
      {"en", "03.01.2025", "03.01.2025"},
      {"de", "nach Absprache", "nach Absprache"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    Speak(c.language);
    EXPECT_FALSE(SetSiteField(workspace_->Data(), "SiteDate", c.typed).refused);
    EXPECT_EQ(StoredDate(), c.stored);
  }
}

}  // namespace
}  // namespace velmora::workspace
