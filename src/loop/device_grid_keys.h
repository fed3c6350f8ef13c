#pragma once

namespace velmora {
struct Run;
}

namespace velmora::site {
class Table;
}

namespace velmora::loop {

class DeviceRowEditor;

// Positions of the device grid's columns; the grid's handlers address columns by position.
inline constexpr int kLoopColumn = 0;
inline constexpr int kQuantityColumn = 1;
inline constexpr int kTypeColumn = 2;
inline constexpr int kSubTypeColumn = 3;

// A device row is complete when its quantity is at least 1 and it has a type and a sub-type.
// For the current row of the Devices view.
bool IsDeviceRowComplete(site::Table& devices);

// The keys that can add a row from the keyboard.
enum class GridKey { kDown, kTab };

struct NewRowKey {
  bool swallowed = false;  // the grid does nothing more with the key
  bool added = false;      // a row was added and is the current row
};

// A key pressed in the device grid, with the grid's column. Down, or Tab in the sub-type column,
// on the last row of the loop is swallowed, and adds a row when the current row is complete, so
// no empty row can be added from the keyboard. Any other key is left to the grid.
NewRowKey OnDeviceGridKey(Run& run, DeviceRowEditor& editor, GridKey key, int column);

}  // namespace velmora::loop
