// Command ids of the main frame's menus and bars. The numbers are the application's own and
// stay fixed: settings, tests and later tools refer to them.
#pragma once

namespace zeq::desk::cmd {

// File
inline constexpr int kNew = 57600;
inline constexpr int kOpen = 57601;
inline constexpr int kSave = 32936;
inline constexpr int kSaveAs = 32937;
inline constexpr int kRecentFirst = 57616;
inline constexpr int kRecentLast = 57631;
inline constexpr int kExit = 57665;
// Edit
inline constexpr int kUndo = 57643;
inline constexpr int kRedo = 57644;
inline constexpr int kCut = 57635;
inline constexpr int kCopy = 57634;
inline constexpr int kPaste = 57637;
inline constexpr int kSelectAll = 57642;
inline constexpr int kFind = 57636;
inline constexpr int kReplace = 57641;
inline constexpr int kGoToLine = 33100;
// View
inline constexpr int kViewStandardBar = 59392;
inline constexpr int kViewStatusBar = 59393;
inline constexpr int kViewDeviceBar = 32867;
inline constexpr int kViewInstructionBar = 32988;
inline constexpr int kViewProjectBar = 32832;
inline constexpr int kViewEmergencyBar = 33003;
inline constexpr int kLockBars = 32908;
inline constexpr int kShowCounters = 32939;
inline constexpr int kMarkRunning = 32996;
inline constexpr int kViewOutput = 33009;
inline constexpr int kShowHints = 32883;
inline constexpr int kViewCommandBox = 33010;
inline constexpr int kViewWatch = 33011;
// Settings
inline constexpr int kSyntaxColouring = 32880;
inline constexpr int kFont = 32935;
inline constexpr int kColours = 32881;
inline constexpr int kRenameDevice = 32886;
inline constexpr int kHoming = 32985;
inline constexpr int kRegisterConfig = 32938;
inline constexpr int kCardUsb = 33014;
inline constexpr int kCardPci = 33015;
// Project (run control)
inline constexpr int kCompile = 32804;
inline constexpr int kRun = 32805;
inline constexpr int kStop = 32807;
inline constexpr int kPause = 32890;
inline constexpr int kContinue = 32893;
inline constexpr int kStep = 32997;
inline constexpr int kPauseMotors = 32986;
inline constexpr int kEmergencyStop = 32987;
inline constexpr int kExecInstruction = 32999;
inline constexpr int kSearchDevices = 32885;
// Tools
inline constexpr int kConfigFile = 33018;
inline constexpr int kTeach = 33013;
inline constexpr int kJog = 32998;
inline constexpr int kGraph = 33012;
inline constexpr int kWatchStart = 32902;
inline constexpr int kWatchStop = 32907;
inline constexpr int kWatchInterval = 32934;
inline constexpr int kFirmware = 33019;
// Help
inline constexpr int kAbout = 57664;
inline constexpr int kHelp = 32872;
inline constexpr int kParams = 32873;
inline constexpr int kUpdate = 32882;
inline constexpr int kWebPage = 32895;
// Output box
inline constexpr int kOutputAutoClear = 32802;
inline constexpr int kOutputClear = 32803;
inline constexpr int kOutputClearAll = 33001;

}  // namespace zeq::desk::cmd
