#pragma once
// The two windows as data: every control with its kind, container, geometry, initial text,
// visibility, list columns and combo entries, and the hidden menus. The Qt binding builds the
// widgets from these tables and FakeUi builds its in-memory controls from the same tables.

#include <string_view>
#include <vector>

namespace quillet {

enum class ControlKind {
    TabControl,  // entries are the page titles
    Button,
    EditBox,
    Label,
    TransparentLabel,
    GroupBox,
    PictureBox,
    ListView,
    ComboBox,
    CurveChart,
    WebBrowser,
};

struct Column {
    std::string_view title;
    int width;
};

struct ControlDef {
    std::string_view name;
    ControlKind kind;
    // "" for the window itself, else a tab control, group or picture box
    std::string_view container;
    int page;                 // page index when the container is a tab control, else -1
    int x, y, width, height;  // relative to the container
    std::string_view text;    // initial text or caption
    bool visible;
    std::vector<Column> columns;            // list views
    std::vector<std::string_view> entries;  // combo entries, tab page titles
};

struct MenuDef {
    std::string_view caption;  // the hidden top-level menu
    std::vector<std::string_view> items;
};

struct WindowDef {
    std::string_view name;  // objectName of the window
    std::string_view title;
    int x, y, width, height;  // outer geometry
    std::vector<ControlDef> controls;
    std::vector<MenuDef> menus;

    const ControlDef* find(std::string_view control) const;
};

const WindowDef& mainWindowDef();
const WindowDef& imageBrowserWindowDef();

}  // namespace quillet
