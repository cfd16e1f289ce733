#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

class QWidget;

namespace quarrow {

struct FormState;
struct FormWidgets;

// What the archive tab's load button and search box do. The tab itself only lists the
// snapshots and keeps their check marks; loading and searching are plugged in through this.
class ArchiveActions {
public:
    virtual ~ArchiveActions() = default;
    virtual void LoadArchives() = 0;
    virtual void SearchKeyDown() = 0;
    virtual void SearchKeyUp() = 0;
    // The archive page is being closed.
    virtual void PageClosed() = 0;
    // Whether a load is under way (the load button then stays disabled).
    virtual bool Loading() const = 0;
};

// The archive tab's snapshot list.
class ArchiveTab : public QObject {
public:
    ArchiveTab(FormState& state, FormWidgets& widgets, QWidget* window);

    // Until actions are set the load button stays disabled and the search box does nothing.
    void setActions(std::unique_ptr<ArchiveActions> actions);
    // Tells the actions that the archive page is being closed.
    void ArchivePageClosed();

    // Lists the snapshots of "Arhive/" in the file system's order, keeping the check marks
    // of those still there.
    void RefreshArchiveList();
    // The names of the ticked snapshots, top to bottom.
    QStringList checkedArchives() const;
    void clb2Click();
    // Another tab was shown: no snapshot selected, the load button off until a click.
    void clearSelection();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FormState& state_;
    FormWidgets& w_;
    std::unique_ptr<ArchiveActions> actions_;
};

}  // namespace quarrow
