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

    const LONGLONG dwTotal = 6960765916756;  // 0x654ADFAD654
    // Kept as the exercise has them, results unused: they try Windows' 64-bit conversions,
    // which the compiler's printf checking does not know.
    CString strTotal;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"
    strTotal.Format("dwTotal= %I64d \n", dwTotal);
    strTotal.Format("dwTotal= %I64x \n", dwTotal);
#pragma GCC diagnostic pop

    std::list<EventRecord> m_listExitEvent;
    std::list<EventRecord*> m_listExitEvent2;
    for (int i = 1; i <= 10; ++i) {
        EventRecord event{};
        event.nValue = i;
        m_listExitEvent.push_back(event);
        auto* pEvent = new EventRecord{};
        pEvent->nValue = i;
        m_listExitEvent2.push_back(pEvent);
    }
    for (auto it = m_listExitEvent.begin(); it != m_listExitEvent.end();) {
        line("aaevent_it=%d", it->nValue);
        it = it->nValue % 2 == 0 ? m_listExitEvent.erase(it) : std::next(it);
    }
    for (auto it = m_listExitEvent2.begin(); it != m_listExitEvent2.end();) {
        line("\n m_listExitEvent2_it=%d", (*it)->nValue);
        if ((*it)->nValue % 2 == 0) {
            delete *it;
            it = m_listExitEvent2.erase(it);
        } else {
            ++it;
        }
    }
    for (const EventRecord& event : m_listExitEvent) {
        line("aaashow =%d", event.nValue);
    }
    for (const EventRecord* pEvent : m_listExitEvent2) {
        line("\n m_listExitEvent2_it =%d", pEvent->nValue);
    }
    while (!m_listExitEvent2.empty()) {
        EventRecord* pEvent = m_listExitEvent2.front();
        m_listExitEvent2.pop_front();
        delete pEvent;
    }
    while (!m_listExitEvent.empty()) {
        m_listExitEvent.pop_front();
    }

    std::vector<EventRecord> m_vv;
    std::vector<EventRecord*> m_vv2;
    for (int i = 1; i <= 10; ++i) {
        EventRecord event{};
        event.nValue = i;
        m_vv.push_back(event);
        auto* pEvent = new EventRecord{};
        pEvent->nValue = i;
        m_vv2.push_back(pEvent);
    }
    // Erasing moves the next record into this place, so the place is examined again.
    for (auto it = m_vv.begin(); it != m_vv.end();) {
        line("\tm_vv=%d", it->nValue);
        it = it->nValue % 2 == 0 ? m_vv.erase(it) : std::next(it);
    }
    for (EventRecord*& pEvent : m_vv2) {
        line("\tm_vv2=%d", pEvent->nValue);
        if (pEvent->nValue % 2 == 0) {
            delete pEvent;
            pEvent = nullptr;
        }
    }
    // The slots emptied above point to nothing: there is nothing to report for them.
    for (const EventRecord* pEvent : m_vv2) {
        if (pEvent != nullptr) {
            line("\tm_vv2=%d", pEvent->nValue);
        }
    }
    while (!m_vv2.empty()) {
        delete m_vv2.back();
        m_vv2.pop_back();
    }
    for (const EventRecord& event : m_vv) {
        line("m_vv=%d ", event.nValue);
    }
    for (std::size_t i = 0; i < m_vv.size(); ++i) {
        m_vv[i].nValue += 1;
    }
    for (std::size_t i = 0; i < m_vv.size(); ++i) {
        line("m_vv[i]=%d\n", m_vv[i].nValue);
    }
}
