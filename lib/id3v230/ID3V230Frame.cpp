#include "id3v230/ID3V230Frame.h"

#include "id3v230/ID3LibBinding.h"

namespace korvel {

void ID3V230Frame::Load(void* frame) {
    colFields = std::make_shared<Collection<ID3V230Field>>();
    const ID3LibBinding& lib = ID3LibBinding::Current();
    if (!lib.Available() || frame == nullptr) return;
    for (int32_t id = ID3FN_NOFIELD; id <= ID3FN_LASTFIELDID; ++id) {
        void* field = lib.FrameGetField(frame, static_cast<ID3_FieldID>(id));
        if (field == nullptr) continue;
        auto info = std::make_shared<ID3V230Field>();
        info->eFieldID = id;
        info->lTextItemCnt = static_cast<int32_t>(lib.FieldNumTextItems(field));
        info->lSize = static_cast<int32_t>(lib.FieldSize(field));
        colFields->Add(info);
    }
}

}  // namespace korvel
