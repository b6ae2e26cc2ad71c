// The "Separator" group of the export and import windows: "TAB", ";", ",",
// "Custom:" and the one-character box, which is enabled exactly while
// "Custom:" is checked.
#pragma once

class QGroupBox;
class QLineEdit;
class QRadioButton;
class QWidget;

struct TSeparatorControls {
  QGroupBox* GBSeparator = nullptr;
  QRadioButton* RbSeparator1 = nullptr;  // TAB, checked at first
  QRadioButton* RbSeparator2 = nullptr;  // ;
  QRadioButton* RbSeparator3 = nullptr;  // ,
  QRadioButton* RbSeparatorCustom = nullptr;
  QLineEdit* EdSeparator = nullptr;  // design text "-", disabled at first

  // The checked button as a TSeparatorChoice (kSeparatorTab ...).
  int Choice() const;
  // Checks the button of `choice` and enables the box as it goes with it.
  void Show(int choice) const;
  void EnableCustom() const;
};

// Makes the group in `parent` with its controls named as above.
TSeparatorControls MakeSeparatorGroup(QWidget* parent);
