// The menu bar and the toolbars described as data; the main frame builds them in a loop.
#pragma once

#include <span>

namespace zeq::desk {

// Who handles a command. Commands of later parts of the application are present and
// disabled until their handler is installed.
enum class CommandOwner { Frame, Editor, Later };

enum class EntryKind { Command, Separator, SubmenuBegin, SubmenuEnd, RecentFiles };

struct MenuEntry {
    EntryKind kind;
    int id;                // command id (0 for separators and submenus)
    const char* text;      // with its accelerator ("&N")
    const char* shortcut;  // portable key text ("Ctrl+N"), or nullptr
    CommandOwner owner;
    bool checkable;
    const char* tip;  // status-bar prompt, or nullptr
};

struct MenuSpec {
    const char* title;
    std::span<const MenuEntry> entries;
};

std::span<const MenuSpec> menuBarSpec();

struct ToolBarSpec {
    const char* objectName;
    const char* title;
    int viewCommand;                // the command that shows or hides it
    std::span<const int> commands;  // 0 = separator
};

// The standard and project toolbars; the device, instruction and emergency-stop bars carry
// their own widgets and are built by the frame.
std::span<const ToolBarSpec> commandToolBarSpec();

}  // namespace zeq::desk
