#include "container_exercise.h"

#include <cstdio>
#include <list>
#include <vector>

#include "cstring.h"
#include "event_record.h"

void ListVectorExercise(const std::function<void(const char* szLine)>& onLine) {
    char szLine[MAX_PATH];
    const auto line = [&](const char* format, int value) {
        std::snprintf(szLine, sizeof szLine, format, value);
        if (onLine) {
            onLine(szLine);
        }
    };

    const LONGLONG llTotal = 6960765916756;  // 0x654ADFAD654
    // The exercise has always formatted the total with Windows' 64-bit conversions and shown
    // neither text: kept, results dropped, as part of what it exercises. The compiler's printf
    // checking does not know these conversions.
    CString strTotal;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"
    strTotal.Format("dwTotal= %I64d \n", llTotal);
    strTotal.Format("dwTotal= %I64x \n", llTotal);
#pragma GCC diagnostic pop

    std::list<EventRecord> listEvents;
    std::list<EventRecord*> listEventPtrs;
    for (int i = 1; i <= 10; ++i) {
        EventRecord event{};
        event.nValue = i;
        listEvents.push_back(event);
        auto* pEvent = new EventRecord{};
        pEvent->nValue = i;
        listEventPtrs.push_back(pEvent);
    }
    for (auto it = listEvents.begin(); it != listEvents.end();) {
        line("aaevent_it=%d", it->nValue);
        it = it->nValue % 2 == 0 ? listEvents.erase(it) : std::next(it);
    }
    for (auto it = listEventPtrs.begin(); it != listEventPtrs.end();) {
        line("\n m_listExitEvent2_it=%d", (*it)->nValue);
        if ((*it)->nValue % 2 == 0) {
            delete *it;
            it = listEventPtrs.erase(it);
        } else {
            ++it;
        }
    }
    for (const EventRecord& event : listEvents) {
        line("aaashow =%d", event.nValue);
    }
    for (const EventRecord* pEvent : listEventPtrs) {
        line("\n m_listExitEvent2_it =%d", pEvent->nValue);
    }
    while (!listEventPtrs.empty()) {
        EventRecord* pEvent = listEventPtrs.front();
        listEventPtrs.pop_front();
        delete pEvent;
    }
    while (!listEvents.empty()) {
        listEvents.pop_front();
    }

    std::vector<EventRecord> vecEvents;
    std::vector<EventRecord*> vecEventPtrs;
    for (int i = 1; i <= 10; ++i) {
        EventRecord event{};
        event.nValue = i;
        vecEvents.push_back(event);
        auto* pEvent = new EventRecord{};
        pEvent->nValue = i;
        vecEventPtrs.push_back(pEvent);
    }
    // Erasing moves the next record into this place, so the place is examined again.
    for (auto it = vecEvents.begin(); it != vecEvents.end();) {
        line("\tm_vv=%d", it->nValue);
        it = it->nValue % 2 == 0 ? vecEvents.erase(it) : std::next(it);
    }
    for (EventRecord*& pEvent : vecEventPtrs) {
        line("\tm_vv2=%d", pEvent->nValue);
        if (pEvent->nValue % 2 == 0) {
            delete pEvent;
            pEvent = nullptr;
        }
    }
    // The slots emptied above point to nothing: there is nothing to report for them.
    for (const EventRecord* pEvent : vecEventPtrs) {
        if (pEvent != nullptr) {
            line("\tm_vv2=%d", pEvent->nValue);
        }
    }
    while (!vecEventPtrs.empty()) {
        delete vecEventPtrs.back();
        vecEventPtrs.pop_back();
    }
    for (const EventRecord& event : vecEvents) {
        line("m_vv=%d ", event.nValue);
    }
    for (std::size_t i = 0; i < vecEvents.size(); ++i) {
        vecEvents[i].nValue += 1;
    }
    for (std::size_t i = 0; i < vecEvents.size(); ++i) {
        line("m_vv[i]=%d\n", vecEvents[i].nValue);
    }
}
