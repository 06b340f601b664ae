// The report lines of a removal pass, "Noting to do..." for an empty report,
// and the module hook: calling an entry point of the script's own module.
#include "engine/Quarn_link.h"

#include <algorithm>
#include <exception>

#include "locations/Paths.h"
#include "platform/Handles.h"
#include "platform/Platform.h"
#include "reader/Quarn_ReadSpecialFile.h"

namespace qm {

namespace {

struct CategoryLook {
    const char* caption;
    ListPicture image;
};
constexpr CategoryLook kCategoryLooks[] = {
    {"Registry", kPictureRegistryKey}, {"Disk", kPictureDisk},        {"INI", kPictureIniSection},
    {"Process ", kPictureProcess},     {"Server ", kPictureRegisterServer},
};

const char* OperationWord(std::uint16_t operation) {
    switch (operation) {
        case kOperationKill: return "Kill ";
        case kOpDelete: return "Delete ";
        case kOpChange: return "Change ";
        case kOpAdd: return "Add ";
        case kOpRename: return "Rename ";
        case kOpRegister: return "Register ";
        case kOpUnregister: return "Unregister ";
        default: return nullptr;
    }
}

// The entry point of a script's module: stdcall, one argument, the address of
// a variable that holds the reader.
using ModuleEntry = void(QM_STDCALL*)(TReadSpecialFile** reader);

}  // namespace

void TlinkObject::AddReportLine(std::uint8_t Category, std::uint16_t Operation, bool Failed,
                                const std::string& Name, const std::string& Path, const std::string& Reason) {
    if (Failed) FHadErrors = true;
    if (FReportList == nullptr) return;
    ItemList& report = *FReportList;
    const int row = report.AddRow();
    if (Category <= kCategoryServer) {
        report.SetCaption(row, kCategoryLooks[Category].caption);
        report.SetImageIndex(row, kCategoryLooks[Category].image);
    } else {
        report.SetCaption(row, "");
        report.SetImageIndex(row, kPictureNone);
    }
    const char* word = OperationWord(Operation);
    report.AddSubItem(row, word == nullptr ? std::string() : std::string(Failed ? kReportFailedPrefix : "") + word);
    report.AddSubItem(row, Path);
    report.AddSubItem(row, Name);
    if (!Reason.empty()) report.AddSubItem(row, Reason);
    if (Failed) report.SetImageIndex(row, kPictureFailed);
}

void TlinkObject::AddPendingLine(const std::string& Name, const std::string& Path, bool AtLogon, bool Uncopied) {
    if (FReportList == nullptr) return;
    ItemList& report = *FReportList;
    const int row = report.AddRow();
    report.SetCaption(row, kCategoryLooks[kCategoryDisk].caption);
    report.SetImageIndex(row, kCategoryLooks[kCategoryDisk].image);
    report.AddSubItem(row, kReportPendingText);
    report.AddSubItem(row, Path);
    report.AddSubItem(row, Name);
    // The file is still on disk, and its program may still run: the
    // line says so and when it goes.
    std::string reason = AtLogon ? "still on disk: deleted when a user next logs on"
                                 : "still on disk: Windows deletes it when it starts next";
    if (Uncopied) reason += "; it is locked, so the backup holds no copy of it";
    report.AddSubItem(row, reason);
}

void TlinkObject::AddRefusalLine(const TRefusalNote& Refusal) {
    if (FReportList == nullptr) return;
    ItemList& report = *FReportList;
    const int row = report.AddRow();
    report.SetCaption(row, Refusal.Category <= kCategoryServer ? kCategoryLooks[Refusal.Category].caption : "");
    report.SetImageIndex(row, kPictureRefused);
    const char* word = OperationWord(Refusal.Operation);
    report.AddSubItem(row, std::string(kReportRefusedPrefix) + (word != nullptr ? word : ""));
    report.AddSubItem(row, Refusal.Path);
    report.AddSubItem(row, Refusal.Name);
    report.AddSubItem(row, Refusal.Reason);
}

void TlinkObject::AddNotDoneLine(std::uint8_t Category, const std::string& Words, const std::string& Name,
                                 const std::string& Path) {
    if (FReportList == nullptr) return;
    ItemList& report = *FReportList;
    const int row = report.AddRow();
    report.SetCaption(row, Category <= kCategoryServer ? kCategoryLooks[Category].caption : "");
    report.SetImageIndex(row, kPictureNone);
    report.AddSubItem(row, kReportNotDonePrefix + Words);
    report.AddSubItem(row, Path);
    report.AddSubItem(row, Name);
}

void TlinkObject::ReportNotReached() {
    for (std::uint8_t category = kCategoryRegistry; category <= kCategoryServer; ++category) {
        const ItemList* list = ListOfCategory(category);
        if (list == nullptr) continue;
        for (int row = 0; row < list->RowCount(); ++row) {
            const int count = list->SubItemCount(row);
            if (count < 2) continue;
            // The last sub-item is the row's item number; the read stopped at FItemNumber.
            const std::string number = list->SubItem(row, count - 1);
            const bool numeric = !number.empty() && number.size() <= 9 &&
                                 std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
            if (!numeric || std::stoi(number) <= FItemNumber) continue;
            if (category != kCategoryProcess && !list->Checked(row)) continue;
            // Sub-item 1 is the object; the next one, where the row has one, its value.
            const std::string object = list->SubItem(row, 1);
            const std::string value = count > 3 ? list->SubItem(row, 2) : std::string();
            if (category == kCategoryDisk && list->ImageIndex(row) == kPictureFile) {
                // As the report's file lines: the folder, then the name.
                AddNotDoneLine(category, list->Caption(row), ExtractFileName(object), ExtractFilePath(object));
                continue;
            }
            AddNotDoneLine(category, list->Caption(row), value == "*" ? std::string() : value, object);
        }
    }
}

void TlinkObject::FinishReport() {
    if (FReportList == nullptr) return;
    if (FReportList->RowCount() == 0) FReportList->SetCaption(FReportList->AddRow(), "Noting to do...");
    FReportList->FitColumns();
}

void TlinkObject::CallModule(TReadSpecialFile* Sender, const std::string& EntryName) {
    if (FModulePath.empty()) return;
    Platform& p = CurrentPlatform();
    ModuleHandle module(p, p.LoadLibraryA(FModulePath.c_str()));
    if (!module) return;
    const FARPROC entry = p.GetProcAddress(module.get(), EntryName.c_str());
    if (entry == nullptr || Sender == nullptr) return;
    try {
        TReadSpecialFile* reader = Sender;
        reinterpret_cast<ModuleEntry>(entry)(&reader);

        // The module listing file: the search folders, one per line.
        const std::string listing = "c:\\" + std::to_string(FSearchFolders->Count()) + EntryName + "__2___.txt";
        FileHandle file(p, p.CreateFileA(listing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, 0));
        if (!file) return;
        std::string text;
        for (const auto& folder : *FSearchFolders) text += folder + "\r\n";
        DWORD written = 0;
        p.WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } catch (...) {
        // Whatever the module raises stays inside this record.
    }
}

}  // namespace qm
