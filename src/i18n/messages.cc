#include "i18n/messages.h"

#include <array>

#include "i18n/tr.h"

namespace velmora::i18n {
namespace {

constexpr std::array<const char*, kMessageCount> kEnglish = {
    N_("Too many device of type"),
    N_("Decrease the amount of this specific type."),
    N_("All site data will de deleted?"),
    N_("All loop data will de deleted?"),
    N_("System specification exceeded."),
    N_("Data is not saved. Do you want to save?"),
    N_("Battery box required"),
    N_("Site"),
    N_("Velmora is a great tool to help verify your projects before they are installed, but it "
       "is not a replacement for your engineering expertise. It is Pexmor intention to try to "
       "keep product and specification details current and accurate."),
    N_("We can however not cover all specific applications or anticipate all electrical "
       "requirements for every site. We assume no liability for calculations for special "
       "applications beyond the scope of this program."),
    N_("Power Supply Overload"),
    N_("Quiescent Current"),
    N_("Alarm Current"),
    N_("Parts list"),
    N_("Cable"),
    N_("Maximum Value (mA)"),
    N_("Panel Name"),
    N_("Battery Capacity (Ah)"),
    N_("Total"),
    N_("Description"),
    N_("Total Currents"),
    N_("Comment"),
    N_("Loop Overload"),
    N_("Loop OK"),
    N_("N/A"),
    N_("The last item cannot be deleted"),
    N_("Entered value is too large. Value must be less than the maximum loop length of"),
    N_("Not a valid value. Select a value from the list."),
    N_("Too many device per loop entered. Decrease the amount of devices."),
    N_("Too many detectors per loop entered. Decrease the amount of detectors."),
    N_("Too many modules per loop entered. Decrease the amount of modules."),
    N_("Panel"),
    N_("Panels"),
    N_("Quiescent Current (mA)"),
    N_("Alarm Current (mA)"),
    N_("OK"),
    N_("Quantity of Devices"),
    N_("Device Type"),
    N_("Device Sub-Type"),
    N_("None"),
    N_("Value to Large. Value must be less than half the total cable length."),
    N_("Filename already exists. Do you want to overwrite it?"),
    N_("Are you sure you want to delete"),
    N_("Are you sure you want to delete this row?"),
    N_("Add Panel"),
    N_("Outputs"),
    N_("Output"),
    N_("Loop"),
    N_("Loops"),
    N_("Loop Number"),
};

}  // namespace

const char* English(Msg message) { return kEnglish[static_cast<int>(message)]; }

QString Text(Msg message) { return Tr(English(message)); }

}  // namespace velmora::i18n
