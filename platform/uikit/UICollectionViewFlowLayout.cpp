#include "platform/uikit/UICollectionViewFlowLayout.h"

#include <algorithm>
#include <cmath>

#include "platform/uikit/UICollectionView.h"

namespace {

// Overlap with some area: an element that only touches the rectangle's edge is outside it.
bool overlaps(CGRect a, CGRect b) {
    return CGRectGetMinX(a) < CGRectGetMaxX(b) && CGRectGetMinX(b) < CGRectGetMaxX(a) &&
           CGRectGetMinY(a) < CGRectGetMaxY(b) && CGRectGetMinY(b) < CGRectGetMaxY(a);
}

}  // namespace

void UICollectionViewFlowLayout::prepareLayout() {
    elements_.clear();
    sections_.clear();
    contentSize_ = CGSizeZero;
    UICollectionView* view = collectionView();
    if (!view) return;

    // Worked along the line ("along") and along the scrolling direction ("across"); a
    // horizontal layout swaps the axes when it makes a frame.
    const bool vertical = scrollDirection_ == UICollectionViewScrollDirection::Vertical;
    const CGSize box = view->bounds().size;
    const CGFloat lineLength = vertical ? box.width : box.height;
    const CGFloat insetStart = vertical ? sectionInset_.left : sectionInset_.top;
    const CGFloat insetEnd = vertical ? sectionInset_.right : sectionInset_.bottom;
    const CGFloat insetBefore = vertical ? sectionInset_.top : sectionInset_.left;
    const CGFloat insetAfter = vertical ? sectionInset_.bottom : sectionInset_.right;
    const CGFloat itemAlong = vertical ? itemSize_.width : itemSize_.height;
    const CGFloat itemAcross = vertical ? itemSize_.height : itemSize_.width;
    auto frame = [&](CGFloat along, CGFloat across, CGFloat alongSize, CGFloat acrossSize) {
        return vertical ? CGRectMake(along, across, alongSize, acrossSize) : CGRectMake(across, along, acrossSize, alongSize);
    };

    const CGFloat room = lineLength - insetStart - insetEnd;
    // A hair of tolerance, so that items that fit exactly are not pushed to the next line.
    const NSInteger perLine = itemAlong + interitemSpacing_ > 0
        ? std::max<NSInteger>(1, static_cast<NSInteger>(std::floor((room + interitemSpacing_) / (itemAlong + interitemSpacing_) + 1e-9)))
        : 1;
    const CGFloat spacing = perLine > 1 ? (room - perLine * itemAlong) / (perLine - 1) : 0;

    CGFloat position = 0;  // along the scrolling direction
    const NSInteger sections = view->numberOfSections();
    for (NSInteger s = 0; s < sections; ++s) {
        Section section;
        auto supplementary = [&](const std::string& kind, CGSize reference) -> std::optional<std::size_t> {
            const CGFloat extent = vertical ? reference.height : reference.width;
            if (extent <= 0) return std::nullopt;
            auto a = UICollectionViewLayoutAttributes::layoutAttributesForSupplementaryViewOfKind(kind, {s, 0});
            a.frame = frame(0, position, lineLength, extent);
            position += extent;
            elements_.push_back(a);
            return elements_.size() - 1;
        };
        section.header = supplementary(UICollectionElementKindSectionHeader, headerSize_);
        position += insetBefore;
        section.firstItem = elements_.size();
        section.items = view->numberOfItemsInSection(s);
        for (NSInteger i = 0; i < section.items; ++i) {
            auto a = UICollectionViewLayoutAttributes::layoutAttributesForCellWithIndexPath({s, i});
            const NSInteger line = i / perLine, column = i % perLine;
            a.frame = frame(insetStart + column * (itemAlong + spacing), position + line * (itemAcross + lineSpacing_),
                            itemAlong, itemAcross);
            elements_.push_back(a);
        }
        if (section.items > 0) {
            const NSInteger lines = (section.items + perLine - 1) / perLine;
            position += lines * itemAcross + (lines - 1) * lineSpacing_;
        }
        position += insetAfter;
        section.footer = supplementary(UICollectionElementKindSectionFooter, footerSize_);
        sections_.push_back(section);
    }
    contentSize_ = vertical ? CGSizeMake(box.width, position) : CGSizeMake(position, box.height);
}

std::vector<UICollectionViewLayoutAttributes> UICollectionViewFlowLayout::layoutAttributesForElementsInRect(CGRect rect) const {
    std::vector<UICollectionViewLayoutAttributes> found;
    for (const auto& a : elements_)
        if (overlaps(a.frame, rect)) found.push_back(a);
    return found;
}

std::optional<UICollectionViewLayoutAttributes> UICollectionViewFlowLayout::layoutAttributesForItemAtIndexPath(
    const NSIndexPath& indexPath) const {
    if (indexPath.section < 0 || indexPath.section >= static_cast<NSInteger>(sections_.size())) return std::nullopt;
    const Section& section = sections_[indexPath.section];
    if (indexPath.item < 0 || indexPath.item >= section.items) return std::nullopt;
    return elements_[section.firstItem + indexPath.item];
}

std::optional<UICollectionViewLayoutAttributes> UICollectionViewFlowLayout::layoutAttributesForSupplementaryViewOfKind(
    const std::string& kind, const NSIndexPath& indexPath) const {
    if (indexPath.section < 0 || indexPath.section >= static_cast<NSInteger>(sections_.size())) return std::nullopt;
    const Section& section = sections_[indexPath.section];
    const auto& at = kind == UICollectionElementKindSectionHeader ? section.header
                     : kind == UICollectionElementKindSectionFooter ? section.footer : std::nullopt;
    if (!at) return std::nullopt;
    return elements_[*at];
}
