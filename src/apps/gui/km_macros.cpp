// The template-editing aids of the main window: the two macro tables and the colour
// choice with its preview.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTextCursor>
#include <QTextEdit>

#include "gallery/macro_table.h"
#include "gui/dialogs.h"
#include "gui/km.h"
#include "gui/text_bytes.h"
#include "localisation/lang_text.h"

namespace kelmora {
namespace {

const char kSwatchColorProperty[] = "Color";

QColor ColorOf(Color value) {
  const auto bits = static_cast<uint32_t>(value);
  return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                static_cast<int>((bits >> 16) & 0xFF));
}

Color ValueOf(const QColor& color) {
  return static_cast<Color>(static_cast<uint32_t>(color.red()) |
                            static_cast<uint32_t>(color.green()) << 8 |
                            static_cast<uint32_t>(color.blue()) << 16);
}

QTableWidgetItem* FixedItem(const QString& text, bool header) {
  auto* item = new QTableWidgetItem(text);
  if (header) {
    item->setFlags(Qt::NoItemFlags);
    QFont font = item->font();
    font.setBold(true);
    item->setFont(font);
    item->setForeground(Qt::black);
    item->setBackground(QColor(0xE0, 0xE0, 0xE0));
  } else {
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  }
  return item;
}

void FillMacroGrid(QTableWidget* grid, bool thumbnail_pages) {
  int rows = 1;
  for (const MacroInfo& info : kMacros) rows += MacroListedFor(info, thumbnail_pages) ? 1 : 0;
  grid->clearSelection();
  grid->setCurrentCell(-1, -1);
  grid->setRowCount(rows);
  // The header row is not translated.
  grid->setItem(0, 0, FixedItem(QStringLiteral("Macro"), true));
  grid->setItem(0, 1, FixedItem(QStringLiteral("Description"), true));
  int row = 1;
  for (const MacroInfo& info : kMacros) {
    if (!MacroListedFor(info, thumbnail_pages)) continue;
    grid->setItem(row, 0, FixedItem(TextFromBytes(info.macro), false));
    grid->setItem(row, 1, FixedItem(TextFromBytes(GetLangText(info.description)), false));
    ++row;
  }
  grid->clearSelection();
  grid->setCurrentCell(-1, -1);
  // The macro column is 93 pixels wide unless a macro needs more in the font at hand.
  grid->resizeColumnToContents(0);
  if (grid->columnWidth(0) < 93) grid->setColumnWidth(0, 93);
}

QString HtmlColor(Color value) {
  return ColorOf(value).name();
}

}  // namespace

Color TKM::SwatchColor(const QLineEdit* swatch) {
  return static_cast<Color>(swatch->property(kSwatchColorProperty).toInt());
}

void TKM::SetSwatchColor(QLineEdit* swatch, Color color) {
  swatch->setProperty(kSwatchColorProperty, static_cast<int>(color));
  swatch->setStyleSheet(
      QStringLiteral("QLineEdit { background-color: %1; }").arg(HtmlColor(color)));
}

void TKM::FillMacroGrids() {
  FillMacroGrid(outStringGridMacros1, true);
  FillMacroGrid(outStringGridMacros2, false);
}

void TKM::InsertMacro(QTableWidget* grid, QPlainTextEdit* memo) {
  SetChanged();
  const int row = grid->currentRow();
  if (row < 1 || !grid->item(row, 0)) return;
  QTextCursor cursor = memo->textCursor();
  cursor.insertText(grid->item(row, 0)->text());  // replaces the selection, if any
  memo->setTextCursor(cursor);
}

void TKM::outStringGridMacros1DblClick() {
  InsertMacro(outStringGridMacros1, outMemoHTMLThumbnails);
}

void TKM::outStringGridMacros2DblClick() {
  InsertMacro(outStringGridMacros2, outMemoHTMLImages);
}

void TKM::ChooseColor(QLineEdit* swatch) {
  // ColorDialog1: one dialog for the four buttons, starting with the colour last chosen in it.
  if (const std::optional<QColor> chosen = dialogs_.ChooseColor(this, color_dialog_color_)) {
    color_dialog_color_ = *chosen;
    SetChanged();
    SetSwatchColor(swatch, ValueOf(*chosen));
  }
  UpdateColorPreview();
}

void TKM::ButtonBGColorClick() {
  ChooseColor(outEditBGColor);
}
void TKM::ButtonTextColorClick() {
  ChooseColor(outEditTextColor);
}
void TKM::ButtonLinkColorClick() {
  ChooseColor(outEditLinkColor);
}
void TKM::ButtonVisitedColorClick() {
  ChooseColor(outEditVisitedLinkColor);
}

void TKM::UpdateColorPreview() {
  outRichEditColorPreview->clear();
  outRichEditColorPreview->setStyleSheet(QStringLiteral("QTextEdit { background-color: %1; }")
                                             .arg(HtmlColor(SwatchColor(outEditBGColor))));
  const auto line = [](Color color, bool underlined, MessageKey key) {
    return QStringLiteral("<p style=\"margin:0; color:%1;%2\">%3</p>")
        .arg(HtmlColor(color),
             underlined ? QStringLiteral(" text-decoration:underline;") : QString(),
             TextFromBytes(GetLangText(key)).toHtmlEscaped());
  };
  outRichEditColorPreview->setHtml(
      line(SwatchColor(outEditTextColor), false, MessageKey::TextColor) +
      line(SwatchColor(outEditLinkColor), true, MessageKey::LinkTextColor) +
      line(SwatchColor(outEditVisitedLinkColor), true, MessageKey::VisitedLinkTextColor));
}

}  // namespace kelmora
