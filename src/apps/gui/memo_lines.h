#pragma once

#include <QStringList>

class QPlainTextEdit;

// The lines of a multi-line text control. Setting lines ends each of them with a line break,
// and reading drops a final empty block, so an empty control has no lines and a control
// holding one empty line has one: every list of lines comes back unchanged.
QStringList MemoLines(const QPlainTextEdit* memo);
void SetMemoLines(QPlainTextEdit* memo, const QStringList& lines);
