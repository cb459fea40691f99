#include "component/run_report.h"

namespace tarvenish {

void RunReport::recordFailure(StepFailure failure) {
    failures.push_back(std::move(failure));
    if (onFailure) onFailure(failures.back());
}

void RunReport::count(PairOutcome outcome) {
    switch (outcome) {
        case PairOutcome::Regenerated:
            ++pairsRegenerated;
            break;
        case PairOutcome::Confirmed:
            ++pairsConfirmed;
            break;
        case PairOutcome::Skipped:
            ++pairsSkipped;
            break;
        case PairOutcome::Failed:
            ++pairsFailed;
            break;
    }
}

void RunReport::pairDone(const PairDetail& detail) const {
    if (onPairDone) onPairDone(detail);
}

void RunReport::reset() {
    auto failureListener = std::move(onFailure);
    auto progressListener = std::move(onProgress);
    auto pairListener = std::move(onPairDone);
    auto phaseListener = std::move(onPhase);
    *this = RunReport{};
    onFailure = std::move(failureListener);
    onProgress = std::move(progressListener);
    onPairDone = std::move(pairListener);
    onPhase = std::move(phaseListener);
}

}  // namespace tarvenish
