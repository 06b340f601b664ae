// The disk operations: folders created and renamed, files renamed, and files
// and folders to delete listed (scan pass) or queued (removal pass).
#include "engine/Quarn_link.h"

#include <stdexcept>

#include "engine/Backup.h"
#include "engine/GuardRails.h"
#include "locations/Paths.h"
#include "platform/Platform.h"

namespace qm {

void TlinkObject::CreateFolderItem(const std::string& Path) {
    try {
        if (DirectoryExists(Path)) return;
        if (FScanMode) {
            AddItemRow(FDiskList, kCategoryDisk, "Create Folder", kPictureFolder, {Path});
            return;
        }
        if (!IsItemChecked(kCategoryDisk)) return;
        if (Path.empty()) throw std::invalid_argument("no folder to create");
        if (!BackedUp(NoteCreatedFolders(Path), kCategoryDisk, kOpAdd, "", Path)) return;
        AddReportLine(kCategoryDisk, kOpAdd, !ForceDirectories(Path), "", Path);
    } catch (const std::exception&) {
    }
}

void TlinkObject::DeleteFolderItem(const std::string& Path) {
    try {
        const std::string path = ResolveFileName(Path, true, kOpDelete);
        if (!DirectoryExists(path)) return;
        if (Refused(FGuardRails->Folder(path), kCategoryDisk, kOpDelete, "", path)) return;
        if (FScanMode) {
            AddItemRow(FDiskList, kCategoryDisk, "Delte  Folder", kPictureFolder, {path});
            return;
        }
        if (IsItemChecked(kCategoryDisk)) FPendingFolders->Add(path);
    } catch (const std::exception&) {
    }
}

void TlinkObject::EraseFileItem(const std::string& Path) {
    try {
        if (!FileExists(Path)) return;
        if (Refused(FGuardRails->File(Path), kCategoryDisk, kOpDelete, ExtractFileName(Path), ExtractFilePath(Path)))
            return;
        if (FScanMode) {
            AddItemRow(FDiskList, kCategoryDisk, "Erase File", kPictureFile, {Path});
            return;
        }
        if (IsItemChecked(kCategoryDisk)) FPendingFiles->Add(Path);
    } catch (const std::exception&) {
    }
}

void TlinkObject::RenameFileItem(const std::string& NewPath, const std::string& OldPath) {
    RenameItem(NewPath, OldPath, "Rename File", kPictureFile);
}

void TlinkObject::RenameFolderItem(const std::string& NewPath, const std::string& OldPath) {
    RenameItem(NewPath, OldPath, "Rename Folder", kPictureFolder);
}

void TlinkObject::RenameItem(const std::string& NewPath, const std::string& OldPath, const char* caption,
                             int image) {
    try {
        const bool folder = DirectoryExists(OldPath);
        if (!folder && !FileExists(OldPath)) return;
        Refusal refusal = folder ? FGuardRails->Folder(OldPath) : FGuardRails->File(OldPath);
        if (!refusal && HasWildcard(NewPath)) refusal = "a name with * or ? is a pattern, not a name";
        if (Refused(refusal, kCategoryDisk, kOpRename, ExtractFileName(OldPath), ExtractFilePath(OldPath))) return;
        if (FScanMode) {
            AddItemRow(FDiskList, kCategoryDisk, caption, image, {NewPath, OldPath});
            return;
        }
        if (!IsItemChecked(kCategoryDisk)) return;
        if (FBackup != nullptr && !BackedUp(FBackup->Renamed(NewPath, OldPath), kCategoryDisk, kOpRename,
                                            ExtractFileName(NewPath), ExtractFilePath(NewPath)))
            return;
        const bool moved = CurrentPlatform().MoveFileA(OldPath.c_str(), NewPath.c_str()) != FALSE;
        if (!moved && FBackup != nullptr) FBackup->NotMade();
        AddReportLine(kCategoryDisk, kOpRename, !moved, ExtractFileName(NewPath), ExtractFilePath(NewPath));
    } catch (const std::exception&) {
    }
}

}  // namespace qm
