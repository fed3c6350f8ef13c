#pragma once

#include <QString>

namespace velmora::i18n {

// The program's message table. Each text is looked up in the catalogue every time it is used.
// The English texts are the catalogue keys and stay exactly as users have always seen them.
enum class Msg {
  kTooManyDeviceOfType,
  kDecreaseSpecificType,
  kAllSiteDataDeleted,
  kAllLoopDataDeleted,
  kSystemSpecificationExceeded,
  kDataNotSaved,
  kBatteryBoxRequired,
  kSite,
  kDisclaimer1,
  kDisclaimer2,
  kPowerSupplyOverload,
  kQuiescentCurrent,
  kAlarmCurrent,
  kPartsList,
  kCable,
  kMaximumValueMa,
  kPanelName,
  kBatteryCapacityAh,
  kTotal,
  kDescription,
  kTotalCurrents,
  kComment,
  kLoopOverload,
  kLoopOk,
  kNotAvailable,
  kLastItemCannotBeDeleted,
  kValueTooLargeMaxLength,
  kNotAValidValue,
  kTooManyDevicePerLoop,
  kTooManyDetectorsPerLoop,
  kTooManyModulesPerLoop,
  kPanel,
  kPanels,
  kQuiescentCurrentMa,
  kAlarmCurrentMa,
  kOk,
  kQuantityOfDevices,
  kDeviceType,
  kDeviceSubType,
  kNone,
  kValueTooLargeHalfLength,
  kFilenameExists,
  kSureToDelete,
  kSureToDeleteRow,
  kAddPanel,
  kOutputs,
  kOutput,
  kLoop,
  kLoops,
  kLoopNumber,
};

inline constexpr int kMessageCount = 50;

// The English text of a message: its catalogue key.
const char* English(Msg message);

// The message in the language of this run.
QString Text(Msg message);

}  // namespace velmora::i18n
