#pragma once

#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

#include "gui/dialogs.h"

namespace kelmora::test {

// Dialogs whose answers a test scripts in advance. Every dialog shown is logged as
// "<kind>|<caption>|<text>"; a dialog without a scripted answer is cancelled.
class ScriptedDialogs final : public Dialogs {
 public:
  std::deque<bool> ok_cancel_answers;
  std::deque<Answer> yes_no_cancel_answers;
  std::deque<std::optional<QString>> file_names;
  std::deque<std::optional<QColor>> colors;
  std::deque<std::optional<QString>> folders;
  QStringList log;
  QStringList opened_urls;
  QColor last_color_start;
  QString last_folder_start;
  QString last_folder_title;
  // Called as each message box comes, to look at the windows at that moment.
  std::function<void()> on_message;

  void ShowMessage(QWidget*, const QString& caption, const QString& text,
                   MessageIcon icon) override {
    log << QStringLiteral("message%1|%2|%3").arg(IconName(icon), caption, text);
    if (on_message) on_message();
  }
  bool AskOkCancel(QWidget*, const QString& caption, const QString& text,
                   MessageIcon icon) override {
    log << QStringLiteral("okcancel%1|%2|%3").arg(IconName(icon), caption, text);
    return Take(ok_cancel_answers, false);
  }
  Answer AskYesNoCancel(QWidget*, const QString& caption, const QString& text) override {
    log << QStringLiteral("yesnocancel|%1|%2").arg(caption, text);
    return Take(yes_no_cancel_answers, Answer::kCancel);
  }
  std::optional<QString> OpenFileName(QWidget*, const QString& filter, const QString&) override {
    log << QStringLiteral("open|%1").arg(filter);
    return Take(file_names, std::optional<QString>());
  }
  std::optional<QString> SaveFileName(QWidget*, const QString& filter, const QString&) override {
    log << QStringLiteral("save|%1").arg(filter);
    return Take(file_names, std::optional<QString>());
  }
  std::optional<QColor> ChooseColor(QWidget*, const QColor& initial) override {
    log << QStringLiteral("color");
    last_color_start = initial;
    return Take(colors, std::optional<QColor>());
  }
  std::optional<QString> ChooseFolder(const QString& title, const QString& start) override {
    log << QStringLiteral("folder|%1").arg(title);
    last_folder_title = title;
    last_folder_start = start;
    return Take(folders, std::optional<QString>());
  }
  void OpenUrl(const QString& url) override { opened_urls << url; }

 private:
  static QString IconName(MessageIcon icon) {
    switch (icon) {
      case MessageIcon::kInformation:
        return QStringLiteral("(information)");
      case MessageIcon::kWarning:
        return QStringLiteral("(warning)");
      case MessageIcon::kError:
        return QStringLiteral("(error)");
      case MessageIcon::kQuestion:
        return QStringLiteral("(question)");
    }
    return {};
  }
  template <typename T>
  static T Take(std::deque<T>& answers, T fallback) {
    if (answers.empty()) return fallback;
    T answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace kelmora::test
