#include "component/adjustment_presenter.h"

namespace tarvenish {
namespace {
std::shared_ptr<AdjustmentPresenter>& slot() {
    thread_local std::shared_ptr<AdjustmentPresenter> presenter;
    return presenter;
}
}  // namespace

AdjustmentPresenter* adjustmentPresenter() noexcept {
    return slot().get();
}

void setAdjustmentPresenter(std::shared_ptr<AdjustmentPresenter> presenter) noexcept {
    slot() = std::move(presenter);
}

}  // namespace tarvenish
