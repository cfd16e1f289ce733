#pragma once

#include <QComboBox>
#include <QLabel>
#include <QString>
#include <QWidget>

#include "gui/shell/FormWidgets.h"

class QMainWindow;

namespace quarrow {

// Builds the main window's controls with their designed (Russian) captions, hints and states:
// the scan-page area, the status box and the lower page control with its tabs.
FormWidgets buildFtpForm(QMainWindow& form);

// Each tab of the lower page control; called by buildFtpForm.
void buildScannerTab(FormWidgets& w);
void buildResumeTab(FormWidgets& w);
void buildArchiveTab(FormWidgets& w);
void buildMiscTab(FormWidgets& w);
void buildWatchTab(FormWidgets& w);
void buildOptionsTab(FormWidgets& w);

// An editable combo box with a history: typed texts are neither completed nor inserted.
QComboBox* historyCombo(QWidget* parent, const char* name, const QString& text);

// A label named `name` showing `text`.
QLabel* captionLabel(QWidget* parent, const char* name, const QString& text);

// Creates a widget of type W named `name` under `parent`.
template <class W>
W* named(QWidget* parent, const char* name) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}  // namespace quarrow
