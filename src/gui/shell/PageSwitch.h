#pragma once

#include <QObject>

namespace quarrow {

struct FormState;
struct FormWidgets;
class ArchiveTab;
class WatchTab;

// What showing a tab of the lower page control does: the watch tab starts its refresh; the
// scanner, interrupted-scan, archive and miscellaneous tabs end any archive wait, clear the
// archive's and the watch list's selections and stop the watch refresh; the archive tab also
// lists the snapshots again. The options tab changes nothing.
class PageSwitch : public QObject {
public:
    PageSwitch(FormState& state, FormWidgets& widgets, ArchiveTab& archive, WatchTab& watch,
               QObject* parent);

    void pc1Change(int index);

private:
    FormState& state_;
    FormWidgets& w_;
    ArchiveTab& archive_;
    WatchTab& watch_;
};

}  // namespace quarrow
