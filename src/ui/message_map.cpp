#include "ui/message_map.h"

const CMessageMap* CMsgTarget::ClassMessageMap() {
    static const CMessageMap kMap{nullptr, nullptr, 0};
    return &kMap;
}

bool CMsgTarget::DispatchMap(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    UINT id = 0;
    UINT code = 0;
    if (msg == WM_COMMAND) {
        id = LOWORD(wp);
        code = HIWORD(wp);
    } else if (msg == WM_NOTIFY) {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
        if (!hdr)
            return false;
        id = static_cast<UINT>(hdr->idFrom);
        code = hdr->code;
    }
    for (const CMessageMap* map = GetMessageMap(); map; map = map->base) {
        for (std::size_t i = 0; i < map->count; ++i) {
            const CMsgMapEntry& e = map->entries[i];
            bool match = false;
            switch (e.kind) {
                case MsgKind::Message:
                    match = e.message == msg;
                    break;
                case MsgKind::Command:
                    match = msg == WM_COMMAND && e.idFirst == id && e.code == code;
                    break;
                case MsgKind::CommandRange:
                    match = msg == WM_COMMAND && id >= e.idFirst && id <= e.idLast && e.code == code;
                    break;
                case MsgKind::Notify:
                    match = msg == WM_NOTIFY && e.idFirst == id && e.code == code;
                    break;
            }
            if (!match)
                continue;
            try {
                return e.thunk(this, wp, lp, result);
            } catch (...) {  // no exception may unwind through the window manager
                return false;
            }
        }
    }
    return false;
}
