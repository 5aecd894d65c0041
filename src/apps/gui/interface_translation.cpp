#include "gui/interface_translation.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "common/errors.h"
#include "gui/form.h"
#include "gui/radio_group.h"
#include "gui/text_bytes.h"
#include "localisation/language_file.h"
#include "localisation/language_file_output.h"
#include "localisation/message_declarations.h"
#include "settings/ini_file.h"

namespace kelmora {
namespace {

constexpr std::string_view kCaption = "Caption";
constexpr std::string_view kHint = "Hint";
// A memo line whose key is missing reads as this, so that an empty value can still empty a
// line.
constexpr std::string_view kNoLine = "fsdef";
// A caption that is a menu separator is no text.
constexpr std::string_view kSeparatorCaption = "-";
// Components whose text is data, not interface text.
constexpr std::string_view kDataPrefix = "out";

std::string NameOf(const QObject* object) {
  return BytesFromText(object->objectName());
}

// The tab widget whose page component is, or nullptr.
QTabWidget* TabWidgetOfPage(const QWidget* component) {
  const QWidget* stack = component->parentWidget();
  if (!qobject_cast<const QStackedWidget*>(stack)) return nullptr;
  auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget());
  if (!tabs || tabs->indexOf(const_cast<QWidget*>(component)) < 0) return nullptr;
  return tabs;
}

bool HasCaption(const QWidget* component) {
  return TabWidgetOfPage(component) || qobject_cast<const QAbstractButton*>(component) ||
         qobject_cast<const QLabel*>(component) || qobject_cast<const QGroupBox*>(component) ||
         component->isWindow();
}

QString Caption(const QWidget* component) {
  if (QTabWidget* tabs = TabWidgetOfPage(component)) {
    return tabs->tabText(tabs->indexOf(const_cast<QWidget*>(component)));
  }
  if (auto* button = qobject_cast<const QAbstractButton*>(component)) return button->text();
  if (auto* label = qobject_cast<const QLabel*>(component)) return label->text();
  if (auto* group = qobject_cast<const QGroupBox*>(component)) return group->title();
  if (component->isWindow()) return component->windowTitle();
  return {};
}

void SetCaption(QWidget* component, const QString& caption) {
  if (QTabWidget* tabs = TabWidgetOfPage(component)) {
    tabs->setTabText(tabs->indexOf(component), caption);
  } else if (auto* button = qobject_cast<QAbstractButton*>(component)) {
    button->setText(caption);
  } else if (auto* label = qobject_cast<QLabel*>(component)) {
    label->setText(caption);
  } else if (auto* group = qobject_cast<QGroupBox*>(component)) {
    group->setTitle(caption);
  } else if (component->isWindow()) {
    component->setWindowTitle(caption);
  }
}

// The lines of a multi-line text control (plain or rich), or nullptr for other components.
QTextDocument* LinesOf(QWidget* component) {
  if (auto* memo = qobject_cast<QPlainTextEdit*>(component)) return memo->document();
  if (auto* rich = qobject_cast<QTextEdit*>(component)) return rich->document();
  return nullptr;
}

// Every block is a line, except a final empty block: the line end of the last line makes
// it, so "a\nb\n" has two lines and an empty control none.
int LineCount(const QTextDocument& document) {
  const int blocks = document.blockCount();
  return document.lastBlock().text().isEmpty() ? blocks - 1 : blocks;
}

// Replaces the text of one line; the line keeps its formatting and the control its line count.
void SetLine(QTextDocument& document, int index, const QString& text) {
  QTextCursor cursor(document.findBlockByNumber(index));
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  cursor.insertText(text);
}

// Radio groups and combo boxes have items.
bool HasItems(const QWidget* component) {
  return qobject_cast<const RadioGroup*>(component) || qobject_cast<const QComboBox*>(component);
}

QStringList Items(const QWidget* component) {
  if (auto* group = qobject_cast<const RadioGroup*>(component)) return group->Items();
  QStringList items;
  if (auto* combo = qobject_cast<const QComboBox*>(component)) {
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  }
  return items;
}

void SetItem(QWidget* component, int index, const QString& text) {
  if (auto* group = qobject_cast<RadioGroup*>(component)) {
    QStringList items = group->Items();
    items[index] = text;
    group->SetItems(items);  // same count: the selection stays
  } else if (auto* combo = qobject_cast<QComboBox*>(component)) {
    combo->setItemText(index, text);
  }
}

void TranslateForm(Form& form, const LanguageFile& file) {
  const std::string section = NameOf(&form);
  const std::string caption = file.ReadString(section, FormCaptionKey(section), "");
  if (!caption.empty()) form.setWindowTitle(TextFromBytes(WindowTextFromValue(caption)));
  for (QWidget* component : form.Components()) {
    const std::string name = NameOf(component);
    SetTextProp(component, kCaption,
                file.ReadString(section, TextPropKey(section, name, kCaption), ""));
    SetTextProp(component, kHint, file.ReadString(section, TextPropKey(section, name, kHint), ""));
    if (QTextDocument* lines = LinesOf(component)) {
      const int count = LineCount(*lines);
      for (int i = 0; i < count; ++i) {
        const std::string line = file.ReadString(
            section, ListItemKey(section, name, "lines", static_cast<size_t>(i)), kNoLine);
        if (line != kNoLine) SetLine(*lines, i, TextFromBytes(line));
      }
    }
    if (HasItems(component)) {
      const qsizetype count = Items(component).size();
      for (qsizetype i = 0; i < count; ++i) {
        const std::string item = file.ReadString(
            section, ListItemKey(section, name, "items", static_cast<size_t>(i)), "");
        if (!item.empty()) {
          SetItem(component, static_cast<int>(i), TextFromBytes(WindowTextFromValue(item)));
        }
      }
    }
  }
}

// A window text on one line of the file (line breaks as the marker).
void WriteText(IniFile& file, const std::string& section, const std::string& key,
               const std::string& text) {
  file.WriteString(section, key, WindowTextToValue(text));
}

void WriteForm(IniFile& file, const Form& form) {
  const std::string section = NameOf(&form);
  if (HasTextProp(&form, kCaption)) {
    const std::string caption = GetTextProp(&form, kCaption);
    if (caption != section) WriteText(file, section, FormCaptionKey(section), caption);
  }
  for (QWidget* component : form.Components()) {
    const std::string name = NameOf(component);
    if (name.starts_with(kDataPrefix)) continue;
    if (HasTextProp(component, kCaption)) {
      const std::string caption = GetTextProp(component, kCaption);
      if (caption != name && caption != kSeparatorCaption && !caption.empty()) {
        WriteText(file, section, TextPropKey(section, name, kCaption), caption);
      }
    }
    if (HasTextProp(component, kHint)) {
      const std::string hint = GetTextProp(component, kHint);
      if (!hint.empty()) WriteText(file, section, TextPropKey(section, name, kHint), hint);
    }
    if (QTextDocument* lines = LinesOf(component)) {
      const int count = LineCount(*lines);
      for (int i = 0; i < count; ++i) {
        const std::string line = BytesFromText(lines->findBlockByNumber(i).text());
        if (line == name) break;  // an untouched memo shows its own name
        file.WriteString(section, ListItemKey(section, name, "Lines", static_cast<size_t>(i)),
                         line);
      }
    }
    if (HasItems(component)) {
      const QStringList items = Items(component);
      for (qsizetype i = 0; i < items.size(); ++i) {
        WriteText(file, section, ListItemKey(section, name, "Items", static_cast<size_t>(i)),
                  BytesFromText(items[i]));
      }
    }
  }
}

void WriteForms(IniFile& file, const std::vector<Form*>& forms, const ProgramFolders& folders) {
  for (const Form* form : forms) {
    if (form) WriteForm(file, *form);
  }
  CollectMessages(file, folders);
}

// Custom.ln in the write folder, which is created when missing.
std::string CustomLanguageFilePath(const ProgramFolders& folders) {
  std::string path = ProgramFileForWriting(folders, kCustomLanguageFileName);
  if (path.empty()) {
    throw EFileError("Cannot write file",
                     folders.write_folder + std::string(kCustomLanguageFileName),
                     "the folder cannot be created");
  }
  return path;
}

}  // namespace

void TranslateForms(const std::vector<Form*>& forms, const LanguageFile& language_file) {
  for (Form* form : forms) {
    if (form) TranslateForm(*form, language_file);
  }
}

bool HasTextProp(const QWidget* component, std::string_view prop_name) {
  if (!component || component->objectName().isEmpty()) return false;
  if (prop_name == kCaption) return HasCaption(component);
  return prop_name == kHint;
}

std::string GetTextProp(const QWidget* component, std::string_view prop_name) {
  if (!component) return {};
  if (prop_name == kCaption) return BytesFromText(Caption(component));
  if (prop_name == kHint) return BytesFromText(component->toolTip());
  return {};
}

void SetTextProp(QWidget* component, std::string_view prop_name, const std::string& value) {
  if (!component || value.empty()) return;
  const QString text = TextFromBytes(WindowTextFromValue(value));
  if (prop_name == kCaption) {
    if (HasCaption(component)) SetCaption(component, text);
  } else if (prop_name == kHint) {
    component->setToolTip(text);
  }
}

void WriteLanguageFile(const std::vector<Form*>& forms, const ProgramFolders& folders) {
  const std::string path = CustomLanguageFilePath(folders);
  IniFile file = LoadLanguageFileForUpdate(path);
  WriteForms(file, forms, folders);
  SaveLanguageFile(file, path);
}

void RegenerateLanguageFile(const std::vector<Form*>& forms, const ProgramFolders& folders) {
  IniFile file;
  WriteForms(file, forms, folders);
  SaveLanguageFile(file, CustomLanguageFilePath(folders));
}

}  // namespace kelmora
