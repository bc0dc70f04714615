#include "id3v2/UpdatableTag.h"

#include <mutex>
#include <utility>

namespace korvel {

namespace {

struct Maker {
    std::mutex lock;
    std::function<UpdatableTagPtr()> make;
};

Maker& TheMaker() {
    static Maker maker;
    return maker;
}

}  // namespace

void SetUpdatableTagMaker(std::function<UpdatableTagPtr()> maker) {
    std::lock_guard<std::mutex> guard(TheMaker().lock);
    TheMaker().make = std::move(maker);
}

UpdatableTagPtr MakeUpdatableTag() {
    std::lock_guard<std::mutex> guard(TheMaker().lock);
    return TheMaker().make ? TheMaker().make() : nullptr;
}

}  // namespace korvel
