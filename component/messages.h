#pragma once
// The dialog's access to the message resource: one resource object per thread, created on first use and kept,
// texts by message number, boxes through the thread's presenter.

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "component/message_presenter.h"
#include "component/message_resource.h"

namespace tarvenish {

// The message numbers the system uses.
namespace msg {
inline constexpr int kQuantityTotal = 1;   // prefix of the total-quantity label
inline constexpr int kMoneyTotal = 2;      // prefix of the total-money label
inline constexpr int kTotalsDiffer = 13;   // the grid totals differ from the pair's totals on OK
inline constexpr int kBoxTitle = 14;       // title of the confirm and delete boxes
inline constexpr int kConfirmDelete = 15;  // asks to confirm the deletion of a line
inline constexpr int kWarehouse = 19;      // Label3 in warehouse mode
inline constexpr int kDepartment = 20;     // Label3 in department mode
inline constexpr int kVoucherCodeHeader = 21;
inline constexpr int kQuantityHeader = 22;
inline constexpr int kUnitPriceHeader = 23;
inline constexpr int kMoneyHeader = 24;
inline constexpr int kNotANumber = 31;     // an edited grid value is not a number
inline constexpr int kNegativePrice = 33;  // an edited unit price is negative
inline constexpr int kCommitFailed = 34;   // the commit failed: nothing was written
// Beside the design; %1, %2, ... stand for the figures fillMessage puts in.
inline constexpr int kDifferenceLine = 35;    // the ledger totals less the grid totals, under the totals
inline constexpr int kTotalsGap = 36;         // the figures of a refused confirm, after message 13
inline constexpr int kPairPosition = 37;      // which pair of how many the run is at
inline constexpr int kPriceNotANumber = 38;   // the average price box does not hold a number
inline constexpr int kFigureTooLarge = 39;    // a figure beyond what the ledger can store exactly
inline constexpr int kConfirmLines = 40;      // asks a second confirm for the added lines listed after it
inline constexpr int kLineBeyondTotals = 41;  // an added line larger than the pair's own totals
inline constexpr int kLineNegative = 42;      // a negative added line
inline constexpr int kLineEmpty = 43;         // an added line without quantity or money
inline constexpr int kWindowCaption = 44;     // the adjustment window's caption
}  // namespace msg

// "Q9.IA.TARVENISH." followed by `number` in five digits. Throws std::out_of_range outside 0..99999.
[[nodiscard]] std::string messageKey(int number);

// This thread's message resource, created on first use and kept for the thread's life.
[[nodiscard]] MessageResource& messageResource();

// The text of message `number` (the key itself when the file lacks it). Throws MessageResourceError when the
// message file cannot be read.
[[nodiscard]] std::string messageText(int number);

// `text` with each %1 to %9 replaced by the figure of that number in `figures` (a placeholder with no figure
// stays as it is).
[[nodiscard]] std::string fillMessage(std::string_view text, std::initializer_list<std::string_view> figures);

// Shows a box through this thread's presenter and returns the button code (2 = Cancel). Throws
// MessageResourceError when no presenter is installed, and what the presenter throws.
int showMessage(std::string_view prompt, int style, std::string_view title = {});

// The dialog's unload of the message resource: the texts are dropped and read afresh on next use. Any failure
// is ignored.
void unloadMessages() noexcept;

// Installs the presenter through which this thread's boxes are shown; null removes it.
void setMessagePresenter(std::shared_ptr<MessagePresenter> presenter) noexcept;

}  // namespace tarvenish
