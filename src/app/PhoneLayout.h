#pragma once

// Where each control of the main window sits, in twips, by its design name.
// The window is built from this table; its test reads the same table.
#include <string_view>

namespace app::layout {

struct Place {
    const char* name;
    int left, top, width, height;
};

// The client area below the menu bar.
inline constexpr int ClientWidth = 6072;
inline constexpr int ClientHeight = 5640;

inline constexpr Place Places[] = {
    {"Label9", 1020, 270, 3435, 390}, // the title's shadow, 30 twips right and down
    {"Label1", 990, 240, 3435, 390},
    {"Image1", 4500, 0, 936, 720},
    {"Label5", 4470, 840, 1365, 240},
    {"Data1", 4380, 1110, 1515, 345},
    {"Label2", 180, 900, 1575, 240},
    {"txtName", 150, 1140, 4185, 285},
    {"Label3", 180, 1500, 2970, 240},
    {"txtAddress", 150, 1740, 5745, 285},
    {"Label11", 180, 2100, 1050, 240},
    {"txtCompany", 150, 2340, 5745, 285},
    {"Label6", 180, 2730, 630, 240},
    {"txtEmail", 150, 2970, 4275, 285},
    {"cmdEmail", 4464, 2940, 345, 360},
    {"Label10", 5160, 3150, 600, 195},
    {"Label8", 180, 3390, 1110, 240},
    {"lbRecords", 5400, 3450, 90, 195}, // grows rightwards for wider counts
    {"txtWeb", 150, 3630, 4275, 285},
    {"cmdWeb", 4464, 3600, 345, 360},
    {"Label4", 120, 4170, 1935, 240},
    {"Label7", 3216, 4176, 1956, 240},
    {"txtPhone", 612, 4410, 1812, 285},
    {"cmdDialPhone", 2484, 4380, 360, 345},
    {"txtMobile", 3684, 4410, 1812, 285},
    {"cmdDialMobile", 5556, 4380, 360, 345},
    {"Frame1", 120, 4890, 4845, 675}, // the record buttons are drawn over it
    {"cmdDelete", 240, 5130, 795, 315},
    {"cmdAdd", 1200, 5130, 795, 315},
    {"cmdFind", 2160, 5130, 795, 315},
    {"cmdSort", 3120, 5130, 795, 315},
    {"cmdEdit", 4080, 5130, 795, 345},
    {"CmdQuit", 5130, 5040, 795, 495},
};

// The place of a control by name; a name not in the table does not compile.
consteval Place place(std::string_view name) {
    for (const Place& p : Places)
        if (std::string_view(p.name) == name)
            return p;
    throw "no such control in the layout table";
}

} // namespace app::layout
