// The columns of the item lists and of the report list.
#include "ui/ListColumns.h"

#include <stdexcept>

namespace qmui {

std::vector<ListColumn> ColumnsOf(qm::Widget list) {
    using qm::Widget;
    switch (list) {
        case Widget::AdvListREG:
            return {{"Opperation", 110}, {"Parent Process", 110},    {"Key", 220}, {"Value", 110},
                    {"Type", 90},        {"NO_ID [HIDEN COLUMN]", 0}};
        case Widget::AdvListDisck:
            return {{"Opperation", 110},
                    {"Parent Process", 110},
                    {"Path", 250},
                    {"Old Path", 170},
                    {"NO_ID [HIDEN COLUMN]", 0}};
        case Widget::AdvListIni:
            return {{"Operation", 110}, {"Parent Process", 110}, {"Ini File", 180},
                    {"Section", 110},   {"Value", 110},          {"No_ID [HIDEN COLUMN]", 0}};
        case Widget::AdvRuning:
            return {{"Operation", 110}, {"Parent Process", 130}, {"Process", 380}, {"NO_ID [Hiden Column]", 0}};
        case Widget::AdvServers:
            return {{"Opperation", 130}, {"Parent Process", 130}, {"Server file", 370}, {"NO_ID [HIDEN COLUMN]", 0}};
        case Widget::AdvRaport: return {{"Type", 100}, {"Operation", 120}, {"Path", 300}, {"Value", 130}};
        default: throw std::invalid_argument("not a list widget");
    }
}

}  // namespace qmui
