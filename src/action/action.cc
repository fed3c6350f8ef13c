#include "action/action.h"

#include <QJsonArray>

#include "i18n/tr.h"

namespace velmora::action {
namespace {

constexpr ParamType kInt = ParamType::kInt;
constexpr ParamType kNumber = ParamType::kNumber;
constexpr ParamType kText = ParamType::kText;
constexpr ParamType kTextOrInt = ParamType::kTextOrInt;
constexpr ParamType kTextList = ParamType::kTextList;
constexpr ParamType kAnswer = ParamType::kAnswer;

const Param kPanel{"panel", kInt, true};
const Param kLoop{"loop", kInt, true};
const Param kRow{"row", kInt, true};
const Param kAnswerParam{"answer", kAnswer, false};

bool WholeNumber(const QJsonValue& v) {
  return v.isDouble() && v.toDouble() == double(qint64(v.toDouble()));
}

QString TypeName(ParamType type) {
  switch (type) {
    case ParamType::kInt:
      return i18n::Tr(N_("a whole number"));
    case ParamType::kNumber:
      return i18n::Tr(N_("a number"));
    case ParamType::kText:
      return i18n::Tr(N_("a text"));
    case ParamType::kTextOrInt:
      return i18n::Tr(N_("a text or a whole number"));
    case ParamType::kTextList:
      return i18n::Tr(N_("a list of texts"));
    case ParamType::kAnswer:
      return "\"yes\", \"no\", \"ok\" " + i18n::Tr(N_("or")) + " \"cancel\"";
  }
  return QString();
}

bool Fits(const QJsonValue& v, ParamType type) {
  switch (type) {
    case ParamType::kInt:
      return WholeNumber(v);
    case ParamType::kNumber:
      return v.isDouble();
    case ParamType::kText:
      return v.isString();
    case ParamType::kTextOrInt:
      return v.isString() || WholeNumber(v);
    case ParamType::kTextList: {
      if (!v.isArray()) return false;
      for (const QJsonValue& e : v.toArray()) {
        if (!e.isString()) return false;
      }
      return true;
    }
    case ParamType::kAnswer: {
      const QString a = v.toString();
      return v.isString() && (a == u"yes" || a == u"no" || a == u"ok" || a == u"cancel");
    }
  }
  return false;
}

}  // namespace

Action Action::Make(const QString& name,
                    std::initializer_list<std::pair<const char*, QJsonValue>> params) {
  Action a;
  a.name = name;
  for (const auto& [key, value] : params) a.params.insert(key, value);
  return a;
}

const std::vector<Definition>& Vocabulary() {
  static const std::vector<Definition> kVocabulary = {
      {"new-site", N_("New site"), {}},
      {"set-site-field", N_("Change site field"), {{"field", kText, true}, {"value", kText, true}}},
      {"set-standby-time", N_("Change standby time"), {{"time", kText, true}}},
      {"set-alarm-time", N_("Change alarm time"), {{"time", kText, true}}},
      {"set-sales-channel", N_("Change sales channel"), {{"channel", kText, true}, kAnswerParam}},
      {"add-panel", N_("Add panel"), {}},
      {"delete-panel", N_("Delete panel"), {kPanel, kAnswerParam}},
      {"duplicate-panel", N_("Duplicate panel"), {kPanel}},
      {"set-panel-name", N_("Rename panel"), {kPanel, {"name", kText, true}}},
      {"set-panel-type", N_("Change panel type"), {kPanel, {"type", kText, true}}},
      {"set-panel-type-code", N_("Change panel type"), {kPanel, {"code", kText, true}}},
      {"set-housing", N_("Change housing"), {kPanel, {"housing", kText, true}}},
      {"set-housing-code", N_("Change housing"), {kPanel, {"code", kText, true}}},
      {"set-protocol", N_("Change protocol"), {kPanel, {"protocol", kText, true}, kAnswerParam}},
      {"toggle-option-board", N_("Change option board"), {kPanel, {"board", kTextOrInt, true}}},
      {"set-power-supply", N_("Change power supply"), {kPanel, {"supply", kTextOrInt, true}}},
      {"fit-panel", N_("Fit panel to the catalogue"), {kPanel}},
      {"set-cable", N_("Change cable"), {kPanel, kLoop, {"cable", kTextOrInt, true}}},
      {"set-length", N_("Change loop length"), {kPanel, kLoop, {"length", kInt, true}}},
      {"set-alarm-indicators",
       N_("Change alarm indicators"),
       {kPanel, kLoop, {"count", kInt, true}}},
      {"set-distribution",
       N_("Change distribution"),
       {kPanel, kLoop, {"distribution", kText, true}}},
      {"set-one-location-distance",
       N_("Change distance"),
       {kPanel, kLoop, {"distance", kInt, true}}},
      {"set-spread-distance", N_("Change distance"), {kPanel, kLoop, {"distance", kInt, true}}},
      {"add-device-row", N_("Add device row"), {kPanel, kLoop}},
      {"delete-device-row", N_("Delete device row"), {kPanel, kLoop, kRow, kAnswerParam}},
      {"set-device-quantity",
       N_("Change quantity"),
       {kPanel, kLoop, kRow, {"quantity", kInt, true}}},
      {"set-device-type", N_("Change device type"), {kPanel, kLoop, kRow, {"type", kText, true}}},
      {"set-device-sub-type",
       N_("Change device sub-type"),
       {kPanel, kLoop, kRow, {"sub_type", kText, true}}},
      {"copy-loop-devices",
       N_("Copy devices"),
       {kPanel, kLoop, {"to_panel", kInt, true}, {"to_loop", kInt, true}}},
      {"set-output-currents",
       N_("Change output current"),
       {kPanel, {"output", kInt, true}, {"quiescent", kNumber, false}, {"alarm", kNumber, false}}},
      {"set-defaults",
       N_("Change defaults"),
       {{"sales_channel", kText, false},
        {"standby_time", kText, false},
        {"alarm_time", kText, false},
        {"type", kText, false},
        {"housing", kText, false},
        {"protocol", kText, false},
        {"power_supply", kText, false},
        {"option_boards", kTextList, false},
        {"cable", kText, false},
        {"length", kInt, false},
        {"alarm_indicators", kInt, false},
        {"distribution", kText, false},
        {"one_location_length", kInt, false},
        {"spread_length", kInt, false},
        {"country_code", kText, false}}},
      {"undo", N_("Undo"), {}},
      {"redo", N_("Redo"), {}},
  };
  return kVocabulary;
}

const Definition* FindDefinition(const QString& name) {
  for (const Definition& d : Vocabulary()) {
    if (name == QLatin1String(d.name)) return &d;
  }
  return nullptr;
}

QString CheckParameters(const Action& action, bool* unknown) {
  *unknown = false;
  const Definition* d = FindDefinition(action.name);
  if (d == nullptr) {
    *unknown = true;
    return i18n::Tr(N_("unknown action \"%1\"")).arg(action.name);
  }
  for (auto it = action.params.begin(); it != action.params.end(); ++it) {
    const auto p = std::find_if(d->params.begin(), d->params.end(),
                                [&](const Param& p) { return it.key() == QLatin1String(p.name); });
    if (p == d->params.end()) {
      *unknown = true;
      return i18n::Tr(N_("the action \"%1\" has no parameter \"%2\"")).arg(action.name, it.key());
    }
    if (!Fits(it.value(), p->type))
      return i18n::Tr(N_("the parameter \"%1\" of \"%2\" must be %3"))
          .arg(it.key(), action.name, TypeName(p->type));
  }
  for (const Param& p : d->params) {
    if (p.required && !action.params.contains(p.name))
      return i18n::Tr(N_("the action \"%1\" needs the parameter \"%2\"")).arg(action.name, p.name);
  }
  return QString();
}

}  // namespace velmora::action
