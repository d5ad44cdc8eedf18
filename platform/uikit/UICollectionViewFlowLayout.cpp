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
    auto* sizes = dynamic_cast<UICollectionViewDelegateFlowLayout*>(view->delegate().get());
    auto self = view->delegate();  // kept while asked

    // Worked along the line ("along") and along the scrolling direction ("across"); a
    // horizontal layout swaps the axes when it makes a frame.
    const bool vertical = scrollDirection_ == UICollectionViewScrollDirection::Vertical;
    const CGSize box = view->bounds().size;
    const CGFloat lineLength = vertical ? box.width : box.height;
    auto along = [&](CGSize size) { return vertical ? size.width : size.height; };
    auto across = [&](CGSize size) { return vertical ? size.height : size.width; };
    auto frame = [&](CGFloat a, CGFloat c, CGFloat alongSize, CGFloat acrossSize) {
        return vertical ? CGRectMake(a, c, alongSize, acrossSize) : CGRectMake(c, a, acrossSize, alongSize);
    };

    CGFloat position = 0;  // along the scrolling direction
    const NSInteger sections = view->numberOfSections();
    for (NSInteger s = 0; s < sections; ++s) {
        const UIEdgeInsets inset =
            sizes ? sizes->insetForSectionAtIndex(*view, *this, s).value_or(sectionInset_) : sectionInset_;
        const CGFloat lineSpacing =
            sizes ? sizes->minimumLineSpacingForSectionAtIndex(*view, *this, s).value_or(lineSpacing_) : lineSpacing_;
        const CGFloat interitemSpacing =
            sizes ? sizes->minimumInteritemSpacingForSectionAtIndex(*view, *this, s).value_or(interitemSpacing_)
                  : interitemSpacing_;
        const CGSize headerSize =
            sizes ? sizes->referenceSizeForHeaderInSection(*view, *this, s).value_or(headerSize_) : headerSize_;
        const CGSize footerSize =
            sizes ? sizes->referenceSizeForFooterInSection(*view, *this, s).value_or(footerSize_) : footerSize_;
        const CGFloat insetStart = vertical ? inset.left : inset.top;
        const CGFloat insetEnd = vertical ? inset.right : inset.bottom;
        const CGFloat insetBefore = vertical ? inset.top : inset.left;
        const CGFloat insetAfter = vertical ? inset.bottom : inset.right;
        const CGFloat room = lineLength - insetStart - insetEnd;

        Section section;
        auto supplementary = [&](const std::string& kind, CGSize reference) -> std::optional<std::size_t> {
            const CGFloat extent = across(reference);
            if (extent <= 0) return std::nullopt;
            auto a = UICollectionViewLayoutAttributes::layoutAttributesForSupplementaryViewOfKind(kind, {s, 0});
            a.frame = frame(0, position, lineLength, extent);
            position += extent;
            elements_.push_back(a);
            return elements_.size() - 1;
        };
        section.header = supplementary(UICollectionElementKindSectionHeader, headerSize);
        position += insetBefore;
        section.firstItem = elements_.size();
        section.items = view->numberOfItemsInSection(s);

        std::vector<CGSize> itemSizes;
        bool uniform = true;
        for (NSInteger i = 0; i < section.items; ++i) {
            itemSizes.push_back(sizes ? sizes->sizeForItemAtIndexPath(*view, *this, {s, i}).value_or(itemSize_)
                                      : itemSize_);
            uniform = uniform && itemSizes.back() == itemSizes.front();
        }

        // Lines: first item index and count, with the gap between their items.
        struct Line {
            NSInteger first = 0, count = 0;
            CGFloat gap = 0, extent = 0;
            bool centred = false;  // alone on its line because no second item fits
        };
        std::vector<Line> lines;
        if (section.items > 0 && uniform) {
            const CGFloat itemAlong = along(itemSizes.front());
            // A hair of tolerance, so that items that fit exactly are not pushed to the next line.
            const NSInteger perLine =
                itemAlong + interitemSpacing > 0
                    ? std::max<NSInteger>(1, static_cast<NSInteger>(std::floor(
                                                 (room + interitemSpacing) / (itemAlong + interitemSpacing) + 1e-9)))
                    : 1;
            const CGFloat gap = perLine > 1 ? (room - perLine * itemAlong) / (perLine - 1) : 0;
            for (NSInteger first = 0; first < section.items; first += perLine)
                lines.push_back(
                    {first, std::min(perLine, section.items - first), gap, across(itemSizes.front()), perLine == 1});
        } else {
            CGFloat used = 0;
            for (NSInteger i = 0; i < section.items; ++i) {
                const CGFloat size = along(itemSizes[i]);
                if (lines.empty() || used + interitemSpacing + size > room + 1e-9) {
                    lines.push_back({i, 0, interitemSpacing, 0, false});
                    used = -interitemSpacing;
                }
                Line& line = lines.back();
                ++line.count;
                used += interitemSpacing + size;
                line.extent = std::max(line.extent, across(itemSizes[i]));
            }
            // A full line spreads its leftover space; the last keeps the minimum spacing.
            for (std::size_t l = 0; l + 1 < lines.size(); ++l) {
                Line& line = lines[l];
                line.centred = line.count == 1;
                if (line.count < 2) continue;
                CGFloat total = 0;
                for (NSInteger i = line.first; i < line.first + line.count; ++i) total += along(itemSizes[i]);
                line.gap = (room - total) / (line.count - 1);
            }
        }

        CGFloat linePosition = position;
        for (std::size_t l = 0; l < lines.size(); ++l) {
            const Line& line = lines[l];
            if (l > 0) linePosition += lines[l - 1].extent + lineSpacing;
            CGFloat at = insetStart;
            if (line.centred) at = insetStart + (room - along(itemSizes[line.first])) / 2;
            for (NSInteger i = line.first; i < line.first + line.count; ++i) {
                auto a = UICollectionViewLayoutAttributes::layoutAttributesForCellWithIndexPath({s, i});
                const CGSize size = itemSizes[i];
                a.frame = frame(at, linePosition + (line.extent - across(size)) / 2, along(size), across(size));
                at += along(size) + line.gap;
                elements_.push_back(a);
            }
        }
        if (!lines.empty()) position = linePosition + lines.back().extent;
        position += insetAfter;
        section.footer = supplementary(UICollectionElementKindSectionFooter, footerSize);
        sections_.push_back(section);
    }
    contentSize_ = vertical ? CGSizeMake(box.width, position) : CGSizeMake(position, box.height);
}

std::vector<UICollectionViewLayoutAttributes> UICollectionViewFlowLayout::layoutAttributesForElementsInRect(
    CGRect rect) const {
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
    const auto& at = kind == UICollectionElementKindSectionHeader   ? section.header
                     : kind == UICollectionElementKindSectionFooter ? section.footer
                                                                    : std::nullopt;
    if (!at) return std::nullopt;
    return elements_[*at];
}
