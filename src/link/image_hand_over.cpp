// The owner's side of an image hand-over.
#include "link_state.h"

namespace zorbel::link {

ImageHandOver::ImageHandOver(const settings::Image& image, std::shared_ptr<Waiter> waiter,
                             ReadPurpose purpose)
    : image_(image), waiter_(std::move(waiter)), purpose_(purpose) {}

ImageHandOver::~ImageHandOver() { done(); }

void ImageHandOver::done() {
  if (waiter_) waiter_->release();
}

}  // namespace zorbel::link
