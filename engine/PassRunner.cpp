// One pass over a removal script, and the preview read.
#include "engine/PassRunner.h"

#include <exception>
#include <memory>

#include "engine/Backup.h"
#include "reader/Quarn_ReadSpecialFile.h"

namespace qm {

PassResult RunPass(const std::string& ScriptPath, bool ScanMode, const PassLists& Lists,
                   const PassCallbacks& Callbacks, std::string& ModulePath, const PassOptions& Options) {
    PassResult result;
    // Declared first, so the engine is freed before the reader.
    std::unique_ptr<TReadSpecialFile> reader;
    std::unique_ptr<TBackup> backup;
    TlinkObject engine;
    try {
        reader = std::make_unique<TReadSpecialFile>(ScriptPath);
    } catch (const std::exception& error) {
        engine.OnError(nullptr, error.what(), 0);
        return result;
    }
    result.scriptOpened = true;
    engine.FScanMode = ScanMode;
    if (ScanMode) engine.FHadErrors = false;
    engine.FOnStatus = Callbacks.status;
    engine.FOnProgress = Callbacks.progress;
    engine.FOnProgressMax = Callbacks.progressMax;

    // Each pass extracts its own copy of the module; the last pass's copy is
    // not needed any more.
    if (!ModulePath.empty()) ForceDeleteFile(ModulePath, false);
    reader->ExtractModule(ModulePath);
    engine.FModulePath = ModulePath;

    engine.FRegistryList = Lists.registry;
    engine.FDiskList = Lists.disk;
    engine.FIniList = Lists.ini;
    engine.FReportList = Lists.report;
    engine.FProcessList = Lists.process;
    engine.FServerList = Lists.server;
    if (!ScanMode && Options.keepBackup) {
        backup = std::make_unique<TBackup>("cleanup", ScriptPath);
        engine.FBackup = backup.get();
    }
    engine.ConnectReader(*reader);
    if (Callbacks.stopRequested) {
        TReadSpecialFile& r = *reader;
        r.OnProgress = [&engine, &r, &Callbacks](TReadSpecialFile* sender, std::int32_t position) {
            engine.OnProgress(sender, position);
            if (Callbacks.stopRequested()) r.FStopRequested = true;
        };
        // A read ended on request does not reach the end of the script: that
        // is no damage.
        r.OnError = [&engine, &r](TReadSpecialFile* sender, const std::string& message, std::int32_t count) {
            if (r.FStopRequested && message == "Force Close") return;
            engine.OnError(sender, message, count);
        };
        engine.FStopQuery = Callbacks.stopRequested;
    }

    reader->Read(false);
    engine.FStopped = reader->FStopRequested;
    engine.ProcessPendingLists();
    result.hadErrors = engine.FHadErrors;
    result.refusals = engine.FRefusals;
    result.stopped = engine.FStopped;
    if (!ScanMode && result.stopped) engine.ReportNotReached();
    if (backup) {
        backup->Finish();
        result.backupFolder = backup->Folder();
        result.backupChanges = backup->ChangeCount();
    }
    if (!ScanMode) engine.FinishReport();
    return result;
}

PreviewResult ReadPreview(const std::string& ScriptPath) {
    PreviewResult result;
    TlinkObject engine;
    try {
        TReadSpecialFile reader(ScriptPath);
        engine.FScanMode = true;
        reader.OnError = std::bind_front(&TlinkObject::OnError, &engine);
        reader.OnFinished = std::bind_front(&TlinkObject::OnFinished, &engine);
        reader.Read(true);
        result.Description = reader.FDescription;
        result.Ok = true;
    } catch (const std::exception& error) {
        engine.OnError(nullptr, error.what(), 0);
    }
    return result;
}

}  // namespace qm
