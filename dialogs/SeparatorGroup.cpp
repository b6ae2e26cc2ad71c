#include "SeparatorGroup.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <array>

#include "DialogKit.h"
#include "ExportLogic.h"

TSeparatorControls MakeSeparatorGroup(QWidget* parent) {
  TSeparatorControls c;
  c.GBSeparator = Named(new QGroupBox(QStringLiteral("Separator"), parent), "GBSeparator");
  QGroupBox* box = c.GBSeparator;
  c.RbSeparator1 = Named(new QRadioButton(QStringLiteral("TAB"), box), "RbSeparator1");
  c.RbSeparator1->setChecked(true);
  c.RbSeparator2 = Named(new QRadioButton(QStringLiteral(";"), box), "RbSeparator2");
  c.RbSeparator3 = Named(new QRadioButton(QStringLiteral(","), box), "RbSeparator3");
  c.RbSeparatorCustom =
      Named(new QRadioButton(QStringLiteral("Custom:"), box), "RbSeparatorCustom");
  c.EdSeparator = Named(new QLineEdit(QStringLiteral("-"), box), "EdSeparator");
  c.EdSeparator->setMaxLength(1);
  c.EdSeparator->setEnabled(false);
  c.EdSeparator->setFixedWidth(c.EdSeparator->fontMetrics().horizontalAdvance('W') * 3);
  auto* row = new QHBoxLayout(box);
  for (QWidget* w : std::initializer_list<QWidget*>{c.RbSeparator1, c.RbSeparator2, c.RbSeparator3,
                                                    c.RbSeparatorCustom, c.EdSeparator})
    row->addWidget(w);
  row->addStretch();
  return c;
}

int TSeparatorControls::Choice() const {
  return RbSeparator2->isChecked()        ? kSeparatorSemicolon
         : RbSeparator3->isChecked()      ? kSeparatorComma
         : RbSeparatorCustom->isChecked() ? kSeparatorCustom
                                          : kSeparatorTab;
}

void TSeparatorControls::Show(int choice) const {
  const std::array<QRadioButton*, 4> buttons = {RbSeparator1, RbSeparator2, RbSeparator3,
                                                RbSeparatorCustom};
  buttons[static_cast<std::size_t>(choice)]->setChecked(true);
  EnableCustom();
}

void TSeparatorControls::EnableCustom() const {
  EdSeparator->setEnabled(RbSeparatorCustom->isChecked());
}
