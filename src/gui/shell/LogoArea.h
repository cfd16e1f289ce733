#pragma once

#include <QString>
#include <QWidget>

namespace quarrow {

// What the window shows above its lower page control while no scan page exists: the program's
// name and version in white on the window colour.
class LogoArea : public QWidget {
public:
    explicit LogoArea(QWidget* parent);
    void setVersion(const QString& version);
    const QString& version() const { return version_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString version_;
};

}  // namespace quarrow
