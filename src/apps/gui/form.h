#pragma once

#include <QString>
#include <QWidget>
#include <vector>

// A window whose components are listed in creation order, each under its component name as
// Qt object name. Interface translation and the language-file generator walk this list, never
// Qt's child lists (whose order layouts change). Tab pages are pages of a QTabWidget; their
// caption is their tab text. The window itself is not in the list; its caption is its title.
class Form : public QWidget {
  Q_OBJECT

 public:
  explicit Form(QWidget* parent = nullptr, Qt::WindowFlags flags = {}) : QWidget(parent, flags) {}

  const std::vector<QWidget*>& Components() const { return components_; }
  // The component of that name, or nullptr.
  QWidget* Component(const QString& name) const {
    for (QWidget* component : components_)
      if (component->objectName() == name) return component;
    return nullptr;
  }

 protected:
  // Names the widget and appends it to the component list.
  template <typename Widget>
  Widget* Register(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    components_.push_back(widget);
    return widget;
  }

 private:
  std::vector<QWidget*> components_;
};
