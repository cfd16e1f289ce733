#include "gui/shell/PageSwitch.h"

#include <QTabWidget>

#include "gui/archive/ArchiveTab.h"
#include "gui/shell/FormState.h"
#include "gui/shell/FormWidgets.h"
#include "gui/watch/WatchTab.h"

namespace quarrow {

PageSwitch::PageSwitch(FormState& state, FormWidgets& widgets, ArchiveTab& archive, WatchTab& watch,
                       QObject* parent)
    : QObject(parent), state_(state), w_(widgets), archive_(archive), watch_(watch) {
    connect(w_.pc1, &QTabWidget::currentChanged, this, &PageSwitch::pc1Change);
}

void PageSwitch::pc1Change(int index) {
    QWidget* page = w_.pc1->widget(index);
    if (page == w_.TabSheet5) {
        watch_.TabSheet5Show();
        return;
    }
    if (page != w_.TabSheet1 && page != w_.TabSheet2 && page != w_.TabSheet3 &&
        page != w_.TabSheet4)
        return;
    state_.context.ArchiveBusy.store(false);
    archive_.clearSelection();
    watch_.TabLeft();
    if (page == w_.TabSheet3) archive_.RefreshArchiveList();
}

}  // namespace quarrow
