#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <utility>
#include <vector>

namespace velmora::action {

// One change a user can make to a site, by name with its parameters: what the views build from
// the user's edits and what a script line of `velmora-cli apply` holds. Panels, loops and
// outputs are addressed by their numbers as the site tree shows them, device rows by their
// position in the loop's grid (from 1); choices by the texts the views list. A question the
// action asks is answered by the parameter "answer" ("yes", "no", "ok", "cancel") when it is
// given, else by whoever carries the action out.
struct Action {
  QString name;
  QJsonObject params;

  static Action Make(const QString& name,
                     std::initializer_list<std::pair<const char*, QJsonValue>> params = {});
};

enum class Status {
  kDone,       // the site changed
  kUnchanged,  // carried out, and nothing needed to change
  kDeclined,   // its question was answered no: nothing changed
  kRefused,    // its input or a rule refused it: nothing changed
};

struct Result {
  Status status = Status::kUnchanged;
  // Every message for the user, in order (refusals, warnings): the caller shows them.
  QStringList messages;

  bool Carried() const { return status == Status::kDone || status == Status::kUnchanged; }
};

// The vocabulary: every action by name with its parameters.
enum class ParamType { kInt, kNumber, kText, kTextOrInt, kTextList, kAnswer };
struct Param {
  const char* name;
  ParamType type;
  bool required;
};
struct Definition {
  const char* name;
  const char* step;  // the history step's name ("Change quantity")
  std::vector<Param> params;
};
const std::vector<Definition>& Vocabulary();
const Definition* FindDefinition(const QString& name);
// What is wrong with an action's parameters as the vocabulary defines them (an unknown
// parameter, a missing one, one of the wrong kind); empty when they are fine. `unknown` is set
// for an unknown action or parameter.
QString CheckParameters(const Action& action, bool* unknown);

}  // namespace velmora::action
