#pragma once
// The progress bar shown while a puzzle is cut: a background picture with a
// fill made of tiles, so it looks the same as the rest of the skinned windows.

#include <QImage>
#include <QWidget>

#include <vector>

namespace progress_fill {

struct Tile {
    int tile;  // 0 start cap, 1 middle, 2 moving end, 3 full end
    int x;
    int width; // how many of the tile's 14 columns are drawn
    bool operator==(const Tile&) const = default;
};

constexpr int kTileWidth = 14;
constexpr int kTileHeight = 26;
constexpr int kTop = 9;

// The fill's end for a position in a range, kept clear of the bar's ends.
int fillEnd(int position, int range);
// The tiles that draw the fill, left to right.
std::vector<Tile> tiles(int position, int range);

} // namespace progress_fill

class CProgressBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kId = 1999;
    static constexpr QSize kSize{199, 43};

    CProgressBar();
    ~CProgressBar() override;

    // Refused (false) for a negative range.
    bool setRange(int range);
    // Refused (false) below 0 or beyond the range.
    bool setPosition(int position);
    bool advance(int by) { return setPosition(position_ + by); }
    int range() const { return range_; }
    int position() const { return position_; }

    // The whole bar as it is painted now.
    QImage render() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void paintBar(QPainter& p) const;
    QImage background_;
    QImage tiles_;
    int range_ = 100;
    int position_ = 0;
};
