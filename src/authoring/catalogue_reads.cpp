#include "authoring/catalogue_reads.h"

#include "authoring/device_answer_capture.h"
#include "authoring/reg_export.h"
#include "authoring/registry_capture.h"
#include "config/catalogue.h"
#include "config/disc_checks.h"
#include "config/text.h"
#include "evaluate/evaluation_sequence.h"

namespace tavelin {

namespace {

class SilentSink : public MessageSink {
public:
    void ShowMessage(const std::wstring&) override {}
};

}  // namespace

CatalogueReads CaptureCatalogueReads(const ConfigFile& catalogue, const MachineFacts& facts,
                                     const std::wstring& model, Registry& registry, HardwareQuery& devices) {
    const ModelCheck modelCheck = CheckMachineModel(catalogue, model);
    LoadedCatalogue loaded = LoadCatalogue(catalogue, facts, modelCheck.machineModel);

    RegistryCapture registryReads(registry);
    DeviceAnswerCapture deviceReads(devices);
    SilentSink silent;
    const DiagnosticSwitches switches;
    RunEvaluationPasses(loaded.m_pItemList,
                        {facts, loaded.m_szOSDisplayName, loaded.m_szLanguageTag, registryReads, deviceReads,
                         switches, silent},
                        EvaluationRun::Startup);
    if (facts.m_b64Bit) registryReads.ReadAgainInTheOtherView();

    CatalogueReads reads;
    reads.registryExport = RegExportText(registryReads, facts.m_b64Bit);
    for (const auto& [id, answer] : deviceReads.Answers()) reads.deviceAnswers[ToUpperText(id)] = answer;
    return reads;
}

}  // namespace tavelin
