#include "host/MonitorLayout.h"

namespace {

bool IsAttached(const AdapterReport& adapter) {
    return (adapter.nStateFlags & kAdapterAttachedToDesktop) != 0;
}

ScreenRect WindowRect(const AdapterReport& adapter) {
    if (adapter.bHasMonitorRect) return adapter.monitorRect;
    ScreenRect rc;
    if (!(adapter.nStateFlags & kAdapterPrimary)) {
        rc.nLeft = adapter.nModeX;
        rc.nTop = adapter.nModeY;
    }
    rc.nRight = rc.nLeft + int32_t(adapter.nModeWidth);
    rc.nBottom = rc.nTop + int32_t(adapter.nModeHeight);
    return rc;
}

}  // namespace

std::vector<MonitorSlot> BuildMonitorTable(const std::vector<AdapterReport>& adapters) {
    std::vector<size_t> listed;
    size_t nAttached = 0;
    for (size_t i = 0; i < adapters.size(); ++i) {
        if (adapters[i].nStateFlags & kAdapterMirroringDriver) continue;
        listed.push_back(i);
        if (IsAttached(adapters[i])) ++nAttached;
    }
    // Room left for adapters that are not part of the desktop.
    size_t nSpareRoom = nAttached < kMonitorTableSize ? kMonitorTableSize - nAttached : 0;
    std::vector<MonitorSlot> table;
    for (size_t i : listed) {
        if (table.size() == kMonitorTableSize) break;
        const AdapterReport& adapter = adapters[i];
        MonitorSlot slot;
        slot.nAdapter = i;
        slot.bAttached = IsAttached(adapter);
        if (!slot.bAttached) {
            if (nSpareRoom == 0) continue;
            --nSpareRoom;
        } else {
            slot.bPrimary = (adapter.nStateFlags & kAdapterPrimary) != 0;
            slot.rect = WindowRect(adapter);
        }
        table.push_back(slot);
    }
    return table;
}

std::vector<size_t> MonitorWindowOrder(const std::vector<MonitorSlot>& table) {
    std::vector<size_t> order;
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].bAttached && table[i].bPrimary) {
            order.push_back(i);
            break;
        }
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].bAttached && (order.empty() || order.front() != i)) order.push_back(i);
    return order;
}
