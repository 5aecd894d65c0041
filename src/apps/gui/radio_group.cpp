#include "gui/radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(QWidget* parent)
    : QGroupBox(parent), layout_(new QVBoxLayout(this)), buttons_(new QButtonGroup(this)) {
  layout_->setContentsMargins(8, 4, 8, 4);
  layout_->setSpacing(2);
  buttons_->setExclusive(true);
  connect(buttons_, &QButtonGroup::idToggled, this, &RadioGroup::OnButtonToggled);
  connect(buttons_, &QButtonGroup::idClicked, this, &RadioGroup::Clicked);
}

QStringList RadioGroup::Items() const {
  QStringList items;
  for (const QRadioButton* button : radio_buttons_) items << button->text();
  return items;
}

void RadioGroup::SetItems(const QStringList& items) {
  if (items.size() == static_cast<qsizetype>(radio_buttons_.size())) {
    // Same number of entries (a translation): new texts, same selection.
    for (int i = 0; i < items.size(); ++i)
      radio_buttons_[static_cast<size_t>(i)]->setText(items[i]);
    return;
  }
  for (QRadioButton* button : radio_buttons_) {
    buttons_->removeButton(button);
    delete button;
  }
  radio_buttons_.clear();
  const bool had_index = index_ != -1;
  index_ = -1;
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    buttons_->addButton(button, i);
    layout_->addWidget(button);
    radio_buttons_.push_back(button);
  }
  if (had_index) emit ItemIndexChanged(-1);
}

int RadioGroup::ItemIndex() const {
  return index_;
}

void RadioGroup::SetItemIndex(int index) {
  if (index < 0 || index >= static_cast<int>(radio_buttons_.size())) index = -1;
  if (index == index_) return;
  if (index == -1) {
    // An exclusive group cannot uncheck its last button; lift the rule for a moment.
    buttons_->setExclusive(false);
    for (QRadioButton* button : radio_buttons_) button->setChecked(false);
    buttons_->setExclusive(true);
    index_ = -1;
    emit ItemIndexChanged(-1);
    return;
  }
  radio_buttons_[static_cast<size_t>(index)]->setChecked(true);  // OnButtonToggled emits
}

void RadioGroup::OnButtonToggled(int id, bool checked) {
  if (!checked || id == index_) return;
  index_ = id;
  emit ItemIndexChanged(id);
}
