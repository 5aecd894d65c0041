#include "gui/memo_lines.h"

#include <QPlainTextEdit>

QStringList MemoLines(const QPlainTextEdit* memo) {
  QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
  if (lines.last().isEmpty()) lines.removeLast();
  return lines;
}

void SetMemoLines(QPlainTextEdit* memo, const QStringList& lines) {
  QString text;
  for (const QString& line : lines) text += line + QLatin1Char('\n');
  memo->setPlainText(text);
}
