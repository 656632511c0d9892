// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef XSRATING_UI_INPUT_PROBLEMS_H_
#define XSRATING_UI_INPUT_PROBLEMS_H_

#include <QString>
#include <QStringList>

namespace xsrating {

// The parameter boxes that cannot be used as they stand, by the names their
// labels give them, in the window's order.
struct InputProblems {
  QStringList empty;        // Nothing typed, or emptied.
  QStringList not_numbers;  // A text that is not a number.

  bool any() const { return !empty.isEmpty() || !not_numbers.isEmpty(); }
};

// One clause naming every box at fault, without a final full stop:
// "“糙率”和“比降”是空的，“水位流量关系曲线点子数量”中不是数字". Empty when
// nothing is at fault.
QString DescribeInputProblems(const InputProblems& problems);

}  // namespace xsrating

#endif  // XSRATING_UI_INPUT_PROBLEMS_H_
