// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/input_problems.h"

namespace xsrating {
namespace {

// “甲”, “甲”和“乙”, “甲”、“乙”和“丙”.
QString QuotedList(const QStringList& names) {
  QStringList quoted;
  for (const QString& name : names) quoted << QStringLiteral("“%1”").arg(name);
  if (quoted.size() < 2) return quoted.value(0);
  const QString last = quoted.takeLast();
  return quoted.join(QStringLiteral("、")) + QStringLiteral("和") + last;
}

}  // namespace

QString DescribeInputProblems(const InputProblems& problems) {
  QStringList clauses;
  if (!problems.empty.isEmpty()) {
    clauses << QuotedList(problems.empty) + QStringLiteral("是空的");
  }
  if (!problems.not_numbers.isEmpty()) {
    clauses << QuotedList(problems.not_numbers) + QStringLiteral("中不是数字");
  }
  return clauses.join(QStringLiteral("，"));
}

}  // namespace xsrating
