// The register set and the VIA audio fix, applied while cooling is on and undone to the
// start-up values when it is off.
#include "chipset/chipset.h"
#include "common/log.h"

const TChipsetOptimization* TChipsetSupport::ActiveOptimization() const {
    const bool valid = ActiveOptimizationID > 0 && ActiveOptimizationIndex >= 0 &&
                       static_cast<size_t>(ActiveOptimizationIndex) < kChipsetOptimizationCount &&
                       ChipsetOptimizations[ActiveOptimizationIndex].ID == ActiveOptimizationID;
    if (!valid) {
        LogFormat("Invalid Optimization (%x)", {ActiveOptimizationID});
        return nullptr;
    }
    return &ChipsetOptimizations[ActiveOptimizationIndex];
}

void TChipsetSupport::OptimizeChipset() {
    LogText("Optimize Chipset");
    const TChipsetOptimization* set = ActiveOptimization();
    if (!set) return;
    for (int i = 0; i < 2; ++i) {
        const TRegisterOptimization& step = set->Steps[i];
        if (StepEmpty(step)) continue;
        LogFormat("Chipset Optimizer Step %d: %s", {i, step.Description});
        const TStepRegister r = StepRegisterMask(*set, i);
        if (step.Clear) {
            LogFormat("Chipset Optimizer Clear %x: %x", {r.Register, r.Mask});
            ClearHostBits(r.Register, r.Mask);
        } else {
            LogFormat("Chipset Optimizer Set %x: %x", {r.Register, r.Mask});
            SetHostBits(r.Register, r.Mask);
        }
    }
    ChipsetOptimized = true;
}

void TChipsetSupport::UnoptimizeChipset() {
    LogText("Unoptimize Chipset");
    const TChipsetOptimization* set = ActiveOptimization();
    if (!set) return;
    // Same order as optimizing; each step's bits return to their start-up values.
    for (int i = 0; i < 2; ++i) {
        const TRegisterOptimization& step = set->Steps[i];
        if (StepEmpty(step)) continue;
        LogFormat("Chipset UnOptimizer Step %d: %s", {i, step.Description});
        const TStepRegister r = StepRegisterMask(*set, i);
        LogFormat("Chipset UnOptimizer Set %x: %x", {r.Register, r.Mask});
        RestoreHostBits(r.Register, r.Mask);
    }
    ChipsetOptimized = false;
}

void TChipsetSupport::FixAudioVIA() {
    // Register 0x70 is captured for VIA northbridges only.
    if (NorthbridgeVendor() != kPciVendorVIA) return;
    LogText("Fix Audio VIA");
    SetHostBits(kAudioFixRegister, kAudioFixBits);
    AudioFixed = true;
}

void TChipsetSupport::UnfixAudioVIA() {
    LogText("Unfix Audio VIA");
    RestoreHostBits(kAudioFixRegister, kAudioFixBits);
    AudioFixed = false;
}

void TChipsetSupport::ChipsetCoolingOn(bool optimize, bool fixAudio) {
    if (!optimize || !ChipsetKnown()) return;
    if (!ChipsetOptimized) OptimizeChipset();
    if (fixAudio && !AudioFixed) FixAudioVIA();
}

void TChipsetSupport::ChipsetCoolingOff() {
    if (!ChipsetKnown()) return;
    if (ChipsetOptimized) UnoptimizeChipset();
    if (AudioFixed) UnfixAudioVIA();
}
