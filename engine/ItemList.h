// What the cleanup engine and the wizard need of a list widget: the five item
// lists and the report list. The widgets are borrowed, never owned, by the
// engine. Rows are addressed by their index in list order.
//
// Implemented in memory by MemoryItemList (tests, the command-line front end)
// and by the Win32 list view of the user interface.
#pragma once

#include <string>
#include <vector>

namespace qm {

// The pictures of rows, report lines and tabs: their indexes in the one image
// list that the item lists, the report and the tab row share. The window
// draws its pictures in this order.
enum ListPicture : int {
    kPictureNone = -1,
    kPictureRegistryKey = 0,  // registry key rows; report lines of registry items
    kPictureRegistryValue = 1,
    kPictureFolder = 2,
    kPictureFile = 3,
    kPictureIniSection = 4,  // INI section rows; report lines of INI items
    kPictureIniValue = 5,
    kPictureProcess = 6,  // running programs and their report lines
    kPictureFailed = 7,   // every failed report line
    kPictureDisk = 8,     // report lines of files and folders
    kPictureRegisterServer = 9,  // also report lines of servers
    kPictureUnregisterServer = 10,
    kPictureRegistryTab = 11,
    kPictureDiskTab = 12,
    kPictureServersTab = 13,
    kPictureProcessTab = 14,
    kPictureIniTab = 15,
    kPictureRefused = 16,  // report lines of items the guard rails refused
    kPictureCount = 17,
};

class ItemList {
public:
    virtual ~ItemList() = default;

    // Appends a row at the end: checked, image index -1, empty caption, no
    // sub-items. Returns its index.
    virtual int AddRow() = 0;
    virtual int RowCount() const = 0;
    virtual void Clear() = 0;

    virtual void SetCaption(int row, const std::string& caption) = 0;
    virtual std::string Caption(int row) const = 0;
    virtual void SetImageIndex(int row, int image) = 0;  // a ListPicture
    virtual int ImageIndex(int row) const = 0;
    virtual void AddSubItem(int row, const std::string& text) = 0;
    virtual int SubItemCount(int row) const = 0;
    // Throws std::out_of_range for an index that does not exist.
    virtual std::string SubItem(int row, int index) const = 0;
    virtual bool Checked(int row) const = 0;
    virtual void SetChecked(int row, bool checked) = 0;

    // Fits the widths of the columns to their texts.
    virtual void FitColumns() = 0;

    // The answer of visiting the rows from the first and stopping at the first
    // one whose last sub-item equals `text`: that row's index, or -1 when no
    // row matches or when a row without sub-items comes first (its "last
    // sub-item" cannot be read, which ends such a visit). Implementations
    // answer without visiting every row, so a removal pass over many items
    // stays linear.
    virtual int FindFirstRowByLastSubItem(const std::string& text) const = 0;
    // Every row whose last sub-item equals `text`, in list order: the rows of
    // one item, answered from the same index.
    virtual std::vector<int> RowsWithLastSubItem(const std::string& text) const = 0;
};

}  // namespace qm
