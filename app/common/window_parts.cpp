#include "app/common/window_parts.h"

#include <QGroupBox>
#include <QLabel>
#include <QStatusBar>
#include <QVBoxLayout>

QGroupBox* titledFrame(const QString& objectName, const QString& title, QWidget* content) {
  auto* frame = new QGroupBox(title);
  frame->setObjectName(objectName);
  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(6, 4, 6, 6);
  layout->addWidget(content);
  return frame;
}

StatusPanels::StatusPanels(QStatusBar* bar, int count, const std::vector<int>& minimumWidths,
                           int stretch) {
  for (int p = 1; p <= count; ++p) {
    auto* panel = new QLabel;
    panel->setObjectName(bar->objectName() + QString::number(p));
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (static_cast<std::size_t>(p - 1) < minimumWidths.size())
      panel->setMinimumWidth(minimumWidths[static_cast<std::size_t>(p - 1)]);
    bar->addWidget(panel, p == stretch ? 1 : 0);
    panels_.push_back(panel);
  }
}

void StatusPanels::setText(int p, const QString& text) const { panel(p)->setText(text); }

QString StatusPanels::text(int p) const { return panel(p)->text(); }
