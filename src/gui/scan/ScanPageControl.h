#pragma once

#include <QTabBar>
#include <QTabWidget>
#include <functional>

namespace quarrow {

// The colour a scan page's tab is drawn in: green while the job is connected, blue for the
// archive page, orange otherwise.
enum class TabColour { Connected, Archive, Other };

// The gradient (top to bottom) of a tab in `colour`.
std::vector<QColor> tabGradient(TabColour colour);

// Tabs drawn by the program: a three-colour vertical gradient by the job's state, the caption
// centred and clipped to the tab.
class ScanTabBar : public QTabBar {
public:
    explicit ScanTabBar(QWidget* parent);

    // Tells the bar how to colour tab `index`; without it every tab is orange.
    void setColourSource(std::function<TabColour(int index)> source);
    TabColour colourOf(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<TabColour(int)> colourSource_;
};

// The scan-page area: one page per scan job, tabs at the bottom.
class ScanPageControl : public QTabWidget {
public:
    explicit ScanPageControl(QWidget* parent);
    ScanTabBar* scanTabBar() const { return bar_; }

private:
    ScanTabBar* bar_;
};

}  // namespace quarrow
