// The columns of the item lists and of the report list.
#include "ui/ListColumns.h"

#include <stdexcept>

namespace qmui {

std::vector<ListColumn> ColumnsOf(qm::Widget list) {
    using qm::Widget;
    constexpr auto F = qm::ColumnRole::Fitted, O = qm::ColumnRole::Object, H = qm::ColumnRole::Hidden;
    switch (list) {
        case Widget::AdvListREG:
            return {{"Opperation", 110, F}, {"Parent Process", 110, F}, {"Key", 220, O},
                    {"Value", 110, O},      {"Type", 90, F},            {"NO_ID [HIDEN COLUMN]", 0, H}};
        case Widget::AdvListDisck:
            return {{"Opperation", 110, F},
                    {"Parent Process", 110, F},
                    {"Path", 250, O},
                    {"Old Path", 170, F},
                    {"NO_ID [HIDEN COLUMN]", 0, H}};
        case Widget::AdvListIni:
            return {{"Operation", 110, F}, {"Parent Process", 110, F}, {"Ini File", 180, O},
                    {"Section", 110, F},   {"Value", 110, O},          {"No_ID [HIDEN COLUMN]", 0, H}};
        case Widget::AdvRuning:
            return {{"Operation", 110, F}, {"Parent Process", 130, F}, {"Process", 380, O}, {"NO_ID [Hiden Column]", 0, H}};
        case Widget::AdvServers:
            return {{"Opperation", 130, F}, {"Parent Process", 130, F}, {"Server file", 370, O}, {"NO_ID [HIDEN COLUMN]", 0, H}};
        case Widget::AdvRaport:
            return {{"Type", 100, F}, {"Operation", 120, F}, {"Path", 300, O}, {"Value", 130, O}};
        default: throw std::invalid_argument("not a list widget");
    }
}

}  // namespace qmui
