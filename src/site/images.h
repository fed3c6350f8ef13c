#pragma once

namespace velmora::site {

// Positions in the main window's image list; the roles are fixed, the pictures are ours.
inline constexpr int kImageRoot = 0;
inline constexpr int kImageExpandAll = 3;
inline constexpr int kImageExpandPanelDetails = 4;
inline constexpr int kImageCollapseAll = 5;
inline constexpr int kImageCollapsePanelDetails = 6;
inline constexpr int kImagePanel = 7;
inline constexpr int kImageUnticked = 16;
inline constexpr int kImageTicked = 17;
inline constexpr int kImageNotAvailable = 19;
inline constexpr int kImageLoop = 20;
inline constexpr int kImageOutputs = 21;

}  // namespace velmora::site
