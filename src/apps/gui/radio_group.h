#pragma once

#include <QGroupBox>
#include <QStringList>
#include <vector>

class QRadioButton;
class QButtonGroup;
class QVBoxLayout;

// A titled group of radio buttons driven by an item list and an index (-1 = none selected),
// the way the window's option groups are read and written.
class RadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  explicit RadioGroup(QWidget* parent = nullptr);

  QStringList Items() const;
  // With as many items as before only the texts change and the selection stays; otherwise the
  // buttons are replaced and the index becomes -1.
  void SetItems(const QStringList& items);
  int ItemIndex() const;
  // An index outside the items selects none. Emits ItemIndexChanged when the index changes.
  void SetItemIndex(int index);

 signals:
  void ItemIndexChanged(int index);
  // A button was clicked by the user (also when it was already selected).
  void Clicked(int index);

 private:
  void OnButtonToggled(int id, bool checked);

  QVBoxLayout* layout_;
  QButtonGroup* buttons_;
  std::vector<QRadioButton*> radio_buttons_;
  int index_ = -1;
};
