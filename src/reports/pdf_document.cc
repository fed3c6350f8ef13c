#include "reports/pdf_document.h"

#include <QByteArray>
#include <QDateTime>
#include <QGlyphRun>
#include <QHash>
#include <QIODevice>
#include <QImage>
#include <QMap>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRawFont>
#include <QTextLayout>
#include <QTransform>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "i18n/tr.h"
#include "reports/text_line.h"
#include "site/file_io.h"

namespace velmora::reports {
namespace {

// Numbers of the page streams, with at most three decimals: a thousandth of a point is far below
// what any device shows. Written by hand into the caller's buffer (at least 24 characters): a
// report writes millions of them. Returns the end of the number.
char* WriteNumber(char* at, double value) {
  if (!std::isfinite(value)) value = 0;
  value = std::clamp(value, -1e12, 1e12);
  const long long scaled = std::llround(value * 1000.0);
  unsigned long long magnitude = scaled < 0 ? 0ULL - static_cast<unsigned long long>(scaled)
                                            : static_cast<unsigned long long>(scaled);
  char reversed[24];
  int n = 0;
  unsigned long long fraction = magnitude % 1000;
  unsigned long long whole = magnitude / 1000;
  if (fraction != 0) {
    int digits = 3;
    while (fraction % 10 == 0) {
      fraction /= 10;
      --digits;
    }
    for (int i = 0; i < digits; ++i) {
      reversed[n++] = char('0' + fraction % 10);
      fraction /= 10;
    }
    reversed[n++] = '.';
  }
  do {
    reversed[n++] = char('0' + whole % 10);
    whole /= 10;
  } while (whole != 0);
  if (scaled < 0) reversed[n++] = '-';
  for (int i = 0; i < n; ++i) at[i] = reversed[n - 1 - i];
  return at + n;
}

void AppendNumber(QByteArray& out, double value) {
  char text[24];
  out.append(text, WriteNumber(text, value) - text);
}

// Numbers each followed by a space, in one append.
void AppendNumbers(QByteArray& out, std::initializer_list<double> values) {
  char text[6 * 25];
  char* end = text;
  for (double value : values) {
    if (end - text > qsizetype(sizeof text) - 25) {
      out.append(text, end - text);
      end = text;
    }
    end = WriteNumber(end, value);
    *end++ = ' ';
  }
  out.append(text, end - text);
}

void AppendHex4(QByteArray& out, quint32 value) {
  static const char digits[] = "0123456789ABCDEF";
  const char text[4] = {digits[(value >> 12) & 15], digits[(value >> 8) & 15],
                        digits[(value >> 4) & 15], digits[value & 15]};
  out.append(text, 4);
}

// A text string of the document's information, in UTF-16 with its byte order mark.
QByteArray TextString(const QString& text) {
  QByteArray out("<FEFF");
  for (QChar c : text) AppendHex4(out, c.unicode());
  out.append('>');
  return out;
}

QByteArray Compressed(const QByteArray& data) {
  // qCompress writes the length in four bytes before the zlib stream a PDF filter reads. Level 1
  // compresses text streams to within a few per cent of the default level, several times faster.
  return qCompress(data, 1).mid(4);
}

// Compresses page streams on a thread of its own while the next pages are painted, and hands
// them back in the order they came.
class Compressor {
 public:
  Compressor() : worker_([this] { Run(); }) {}
  ~Compressor() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
  }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  // Queues a stream; waits while many are queued, so memory stays bounded.
  void Push(int number, QByteArray data) {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return queued_.size() < kMostQueued; });
    queued_.push_back({number, std::move(data)});
    wake_.notify_all();
  }

  // The streams compressed so far; with `all`, once every queued one is.
  std::vector<std::pair<int, QByteArray>> Take(bool all) {
    std::unique_lock lock(mutex_);
    if (all) wake_.wait(lock, [this] { return queued_.empty() && !busy_; });
    std::vector<std::pair<int, QByteArray>> done;
    done.swap(done_);
    return done;
  }

 private:
  static constexpr std::size_t kMostQueued = 16;

  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stop_ || !queued_.empty(); });
      if (queued_.empty()) return;
      auto [number, data] = std::move(queued_.front());
      queued_.pop_front();
      busy_ = true;
      lock.unlock();
      QByteArray packed = Compressed(data);
      data = QByteArray();
      lock.lock();
      busy_ = false;
      done_.emplace_back(number, std::move(packed));
      wake_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::pair<int, QByteArray>> queued_;
  std::vector<std::pair<int, QByteArray>> done_;
  bool busy_ = false;
  bool stop_ = false;
  std::thread worker_;
};

quint16 U16(const QByteArray& data, qsizetype at) {
  if (at < 0 || at + 2 > data.size()) return 0;
  return quint16((uchar(data[at]) << 8) | uchar(data[at + 1]));
}
qint16 S16(const QByteArray& data, qsizetype at) { return qint16(U16(data, at)); }
quint32 U32(const QByteArray& data, qsizetype at) {
  return (quint32(U16(data, at)) << 16) | U16(data, at + 2);
}
void PutU16(QByteArray& data, quint16 v) {
  data.append(char(v >> 8));
  data.append(char(v & 0xff));
}
void PutU32(QByteArray& data, quint32 v) {
  PutU16(data, quint16(v >> 16));
  PutU16(data, quint16(v & 0xffff));
}

quint32 TableChecksum(const QByteArray& table) {
  quint32 sum = 0;
  for (qsizetype i = 0; i < table.size(); i += 4) {
    quint32 word = 0;
    for (int k = 0; k < 4; ++k)
      word = (word << 8) | (i + k < table.size() ? uchar(table[i + k]) : 0);
    sum += word;
  }
  return sum;
}

// A TrueType font of the document: the glyphs drawn with it, the text each stands for, and
// their advances in thousandths of the em as the font gives them.
class EmbeddedFont {
 public:
  EmbeddedFont(const QRawFont& raw, int number)
      : raw_(raw), number_(number), name_("/F" + QByteArray::number(number)) {
    head_ = raw.fontTable("head");
    hhea_ = raw.fontTable("hhea");
    hmtx_ = raw.fontTable("hmtx");
    loca_ = raw.fontTable("loca");
    glyf_ = raw.fontTable("glyf");
    maxp_ = raw.fontTable("maxp");
    units_per_em_ = U16(head_, 18);
    glyph_count_ = U16(maxp_, 4);
    metrics_count_ = U16(hhea_, 34);
    embeddable_ = units_per_em_ > 0 && glyph_count_ > 0 && metrics_count_ > 0 && !glyf_.isEmpty() &&
                  loca_.size() >= 2 * (glyph_count_ + 1) && hmtx_.size() >= 4 * metrics_count_;
    text_.resize(embeddable_ ? glyph_count_ : 0);
    advances_.resize(text_.size());
    for (std::size_t g = 0; g < advances_.size(); ++g) {
      const quint32 at = std::min<quint32>(quint32(g), metrics_count_ - 1);
      advances_[g] = U16(hmtx_, 4 * at) * 1000.0 / units_per_em_;
    }
    mapped_.resize(text_.size(), false);
    used_.resize(text_.size(), false);
  }

  // A font without TrueType outlines (an OpenType font with CFF outlines, say) is drawn as
  // filled outlines instead.
  bool Embeddable() const { return embeddable_; }
  const QRawFont& Raw() const { return raw_; }
  int Number() const { return number_; }
  const QByteArray& Name() const { return name_; }

  // Thousandths of the em.
  double Advance(quint32 glyph) const { return glyph < advances_.size() ? advances_[glyph] : 0; }

  bool Valid(quint32 glyph) const { return glyph < quint32(glyph_count_); }

  // Marks glyphs drawn for `text` and learns what text each stands for: from the font's own
  // character map where a glyph is one character's, else from the clusters of the text laid
  // out in `font` (ligatures such as "ffi" are one glyph for three characters).
  void Use(const QList<quint32>& glyphs, const QString& text, const QFont* font,
           QPaintDevice* device) {
    bool missing = false;
    for (quint32 g : glyphs) {
      if (!Valid(g)) continue;
      used_[g] = true;
      if (!mapped_[g]) missing = true;
    }
    if (!missing || text.isEmpty()) return;
    const QList<quint32> cmap = raw_.glyphIndexesForString(text);
    qsizetype at = 0;
    for (quint32 g : cmap) {
      if (at >= text.size()) break;
      const qsizetype length =
          (text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) ? 2
                                                                                                : 1;
      if (Valid(g) && g != 0 && !mapped_[g]) {
        mapped_[g] = true;
        text_[g] = text.mid(at, length);
      }
      at += length;
    }
    missing = false;
    for (quint32 g : glyphs) missing = missing || (Valid(g) && !mapped_[g]);
    if (!missing || font == nullptr) return;
    QTextLayout layout(text, *font, device);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) line.setLineWidth(1e6);
    layout.endLayout();
    std::map<quint32, QString> clusters;
    for (qsizetype i = 0; i < text.size(); ++i) {
      for (const QGlyphRun& run : layout.glyphRuns(int(i), 1)) {
        for (quint32 g : run.glyphIndexes()) {
          if (Valid(g) && !mapped_[g]) clusters[g] += text[i];
        }
      }
    }
    for (const auto& [g, chars] : clusters) text_[g] = chars;
    // A glyph whose text cannot be told is not asked about again.
    for (quint32 g : glyphs) {
      if (Valid(g)) mapped_[g] = true;
    }
  }

  // The font program with the outlines of the used glyphs only (the others are kept as empty
  // glyphs, so glyph numbers stay those of the font).
  QByteArray Subset() const {
    const bool long_offsets = S16(head_, 50) != 0;
    auto offset = [&](int g) -> quint32 {
      return long_offsets ? U32(loca_, 4 * g) : quint32(U16(loca_, 2 * g)) * 2;
    };
    std::vector<bool> keep = used_;
    keep[0] = true;
    // Composite glyphs are built from others, which are kept with them.
    std::vector<int> pending;
    for (int g = 0; g < glyph_count_; ++g) {
      if (keep[g]) pending.push_back(g);
    }
    while (!pending.empty()) {
      const int g = pending.back();
      pending.pop_back();
      const quint32 start = offset(g);
      const quint32 end = offset(g + 1);
      if (end <= start + 10 || end > quint32(glyf_.size())) continue;
      if (S16(glyf_, start) >= 0) continue;
      qsizetype at = start + 10;
      for (int guard = 0; guard < 64 && at + 4 <= qsizetype(end); ++guard) {
        const quint16 flags = U16(glyf_, at);
        const quint16 part = U16(glyf_, at + 2);
        if (part < glyph_count_ && !keep[part]) {
          keep[part] = true;
          pending.push_back(part);
        }
        at += 4 + ((flags & 0x0001) ? 4 : 2);
        if (flags & 0x0008) {
          at += 2;
        } else if (flags & 0x0040) {
          at += 4;
        } else if (flags & 0x0080) {
          at += 8;
        }
        if (!(flags & 0x0020)) break;
      }
    }
    QByteArray glyf;
    QByteArray loca;
    for (int g = 0; g < glyph_count_; ++g) {
      PutU32(loca, quint32(glyf.size()));
      const quint32 start = offset(g);
      const quint32 end = offset(g + 1);
      if (keep[g] && end > start && end <= quint32(glyf_.size())) {
        glyf.append(glyf_.constData() + start, end - start);
        while (glyf.size() % 4) glyf.append('\0');
      }
    }
    PutU32(loca, quint32(glyf.size()));
    QByteArray head = head_;
    if (head.size() >= 54) {
      head[8] = head[9] = head[10] = head[11] = 0;  // checkSumAdjustment, not needed in a PDF
      head[50] = 0;
      head[51] = 1;  // long offsets
    }
    std::vector<std::pair<QByteArray, QByteArray>> tables = {{"cvt ", raw_.fontTable("cvt ")},
                                                             {"fpgm", raw_.fontTable("fpgm")},
                                                             {"glyf", glyf},
                                                             {"head", head},
                                                             {"hhea", hhea_},
                                                             {"hmtx", hmtx_},
                                                             {"loca", loca},
                                                             {"maxp", maxp_},
                                                             {"prep", raw_.fontTable("prep")}};
    tables.erase(std::remove_if(tables.begin(), tables.end(),
                                [](const auto& t) { return t.second.isEmpty(); }),
                 tables.end());
    const quint16 count = quint16(tables.size());
    quint16 power = 1;
    quint16 selector = 0;
    while (power * 2 <= count) {
      power *= 2;
      ++selector;
    }
    QByteArray font;
    PutU32(font, 0x00010000);
    PutU16(font, count);
    PutU16(font, quint16(power * 16));
    PutU16(font, selector);
    PutU16(font, quint16(count * 16 - power * 16));
    quint32 at = 12 + 16 * count;
    for (const auto& [tag, data] : tables) {
      font.append(tag);
      PutU32(font, TableChecksum(data));
      PutU32(font, at);
      PutU32(font, quint32(data.size()));
      at += (quint32(data.size()) + 3) & ~3u;
    }
    for (const auto& [tag, data] : tables) {
      font.append(data);
      while (font.size() % 4) font.append('\0');
    }
    return font;
  }

  // The widths of the used glyphs, as a CID font's /W array.
  QByteArray Widths() const {
    QByteArray out("[");
    int g = 0;
    while (g < glyph_count_) {
      if (!used_[g]) {
        ++g;
        continue;
      }
      out.append(QByteArray::number(g));
      out.append(" [");
      while (g < glyph_count_ && used_[g]) {
        AppendNumber(out, Advance(g));
        out.append(' ');
        ++g;
      }
      out.append("]\n");
    }
    out.append(']');
    return out;
  }

  // The text of the used glyphs, for searching and copying.
  QByteArray ToUnicode() const {
    std::vector<std::pair<int, QString>> entries;
    for (int g = 0; g < glyph_count_; ++g) {
      if (used_[g] && !text_[g].isEmpty()) entries.emplace_back(g, text_[g]);
    }
    QByteArray out(
        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
        "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
        "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n");
    for (std::size_t i = 0; i < entries.size(); i += 100) {
      const std::size_t n = std::min<std::size_t>(100, entries.size() - i);
      out.append(QByteArray::number(qulonglong(n)) + " beginbfchar\n");
      for (std::size_t k = i; k < i + n; ++k) {
        out.append('<');
        AppendHex4(out, quint32(entries[k].first));
        out.append("> <");
        for (QChar c : entries[k].second) AppendHex4(out, c.unicode());
        out.append(">\n");
      }
      out.append("endbfchar\n");
    }
    out.append("endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n");
    return out;
  }

  // The font's name in the file: a tag of six capitals marks a subset.
  QByteArray BaseName() const {
    QByteArray name;
    for (QChar c : raw_.familyName() + QLatin1Char('-') + raw_.styleName()) {
      if (c.unicode() > 32 && c.unicode() < 127 &&
          !QByteArray("()<>[]{}/%#").contains(char(c.unicode())))
        name.append(char(c.unicode()));
    }
    QByteArray tag;
    for (int n = number_, k = 0; k < 6; ++k, n /= 26) tag.append(char('A' + n % 26));
    return tag + '+' + (name.isEmpty() ? QByteArray("Font") : name);
  }

  double Em(qint16 units) const { return units * 1000.0 / units_per_em_; }
  QByteArray Descriptor() const {
    QByteArray out("<< /Type /FontDescriptor /FontName /" + BaseName() + " /Flags 4 /FontBBox [");
    AppendNumbers(out, {Em(S16(head_, 36)), Em(S16(head_, 38)), Em(S16(head_, 40))});
    AppendNumber(out, Em(S16(head_, 42)));
    out.append("] /ItalicAngle 0 /Ascent ");
    AppendNumber(out, Em(S16(hhea_, 4)));
    out.append(" /Descent ");
    AppendNumber(out, Em(S16(hhea_, 6)));
    out.append(" /CapHeight ");
    AppendNumber(out, Em(S16(hhea_, 4)));
    out.append(" /StemV 80");
    return out;
  }

 private:
  QRawFont raw_;
  int number_;
  QByteArray name_;
  QByteArray head_, hhea_, hmtx_, loca_, glyf_, maxp_;
  int units_per_em_ = 0;
  int glyph_count_ = 0;
  int metrics_count_ = 0;
  bool embeddable_ = false;
  std::vector<QString> text_;
  std::vector<double> advances_;  // thousandths of the em
  std::vector<bool> mapped_;
  std::vector<bool> used_;
};

struct FontKey {
  QString family;
  QString style;
  int weight;
  int slant;
  bool operator==(const FontKey&) const = default;
};
size_t qHash(const FontKey& key, size_t seed) {
  return qHashMulti(seed, key.family, key.style, key.weight, key.slant);
}

struct ShapeKey {
  QString text;
  QString family;
  double size;
  int weight;
  bool italic;
  int stretch;
  bool operator==(const ShapeKey&) const = default;
};
size_t qHash(const ShapeKey& key, size_t seed) {
  return qHashMulti(seed, key.text, key.family, key.size, key.weight, key.italic, key.stretch);
}

// What the page stream last set, so a state is written only when it changes. Unknown after a
// clip is changed, which restores the state saved at the page's start.
struct StreamState {
  std::optional<QRgb> fill;
  std::optional<QRgb> stroke;
  std::optional<int> alpha;
  std::optional<double> width;
  std::optional<int> cap;
  std::optional<int> join;
  std::optional<QByteArray> dash;
};

}  // namespace

class PdfEngine : public QPaintEngine {
 public:
  PdfEngine(PdfDocument* document, QIODevice* out)
      : QPaintEngine(QPaintEngine::AllFeatures), document_(document), out_(out) {
    SetTransform(QTransform());
  }

  QString title;
  QString creator;

  Type type() const override { return QPaintEngine::User; }

  bool begin(QPaintDevice*) override {
    if (started_) {
      Fail(i18n::Tr(N_("the document was painted already")));
      return false;
    }
    started_ = true;
    Write("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    objects_.assign(5, -1);  // 1 catalogue, 2 page tree, 3 resources, 4 information
    StartPage();
    return error_.isEmpty();
  }

  bool end() override {
    if (!started_ || finished_) return false;
    FinishPage();
    WriteFonts();
    WriteTrailer();
    finished_ = true;
    return error_.isEmpty();
  }

  bool NewPage() {
    if (!started_ || finished_) return false;
    FinishPage();
    StartPage();
    return error_.isEmpty();
  }

  bool Finished() const { return finished_ && error_.isEmpty(); }
  QString Error() const { return error_; }

  void updateState(const QPaintEngineState& state) override {
    const QPaintEngine::DirtyFlags flags = state.state();
    if (flags & DirtyTransform) SetTransform(state.transform());
    if (flags & DirtyPen) pen_ = state.pen();
    if (flags & DirtyBrush) brush_ = state.brush();
    if (flags & DirtyOpacity) opacity_ = state.opacity();
    if (flags & DirtyClipPath) {
      QPainterPath path = transform_.map(state.clipPath());
      ClipWith(path, state.clipOperation());
    }
    if (flags & DirtyClipRegion) {
      QPainterPath path;
      path.addRegion(state.clipRegion());
      ClipWith(transform_.map(path), state.clipOperation());
    }
    if (flags & DirtyClipEnabled) {
      if (clip_enabled_ != state.isClipEnabled()) clip_dirty_ = true;
      clip_enabled_ = state.isClipEnabled();
    }
  }

  void drawRects(const QRectF* rects, int count) override {
    QByteArray path;
    for (int i = 0; i < count; ++i) {
      if (transform_.type() <= QTransform::TxScale) {
        const QRectF r = to_pdf_.mapRect(rects[i]);
        AppendNumbers(path, {r.x(), r.y(), r.width(), r.height()});
        path.append("re\n");
      } else {
        AppendPolygon(path, QPolygonF(rects[i]), true);
      }
    }
    Paint(path, true, true, false);
  }

  void drawLines(const QLineF* lines, int count) override {
    QByteArray path;
    for (int i = 0; i < count; ++i) {
      AppendPoint(path, lines[i].p1());
      path.append("m ");
      AppendPoint(path, lines[i].p2());
      path.append("l\n");
    }
    Paint(path, false, true, false);
  }

  void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
    if (count < 2) return;
    QByteArray path;
    AppendPolygon(path, QPolygonF(QList<QPointF>(points, points + count)), mode != PolylineMode);
    Paint(path, mode != PolylineMode, true, mode == OddEvenMode);
  }

  void drawPath(const QPainterPath& path) override {
    if (path.isEmpty()) return;
    QByteArray ops;
    AppendPath(ops, path, to_pdf_);
    Paint(ops, true, true, path.fillRule() == Qt::OddEvenFill);
  }

  void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF& sr) override {
    drawImage(r, pixmap.toImage(), sr, Qt::AutoColor);
  }

  void drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                 Qt::ImageConversionFlags) override {
    const QImage part = image.copy(sr.toAlignedRect());
    if (part.isNull() || r.isEmpty()) return;
    ApplyClip();
    const QByteArray name = WriteImage(part);
    if (name.isEmpty()) return;
    // The image fills the unit square, its first row at the top.
    const QTransform unit(r.width(), 0, 0, -r.height(), r.left(), r.bottom());
    const QTransform m = unit * to_pdf_;
    page_.append("q ");
    AppendNumbers(page_, {m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), m.dy()});
    page_.append("cm " + name + " Do Q\n");
  }

  void drawTextItem(const QPointF& p, const QTextItem& item) override {
    const QString text = item.text();
    if (text.isEmpty()) return;
    const QFont font = item.font();
    const ShapedLine& shaped = Shape(text, font);
    const QPointF origin(p.x(), p.y() - shaped.ascent);
    for (const QGlyphRun& run : shaped.runs)
      DrawRun(origin, run, text, &font, pen_.color(), transform_);
  }

  // A text laid out on one line, once for the document.
  const ShapedLine& Shape(const QString& text, const QFont& font) {
    const ShapeKey key{text,          font.family(), font.pointSizeF(),
                       font.weight(), font.italic(), font.stretch()};
    auto it = shaped_.find(key);
    if (it != shaped_.end()) return *it;
    if (shaped_.size() > 20000) shaped_.clear();
    return *shaped_.insert(key, ShapeLine(text, font, document_));
  }

  void DrawText(QPainter& painter, const QRectF& rect, int flags, const QString& text) {
    if (text.isEmpty()) return;
    const QFont font = painter.font();
    const ShapedLine& shaped = Shape(text, font);
    if (text.contains(QLatin1Char('\n')) || shaped.width > rect.width() ||
        shaped.height > rect.height()) {
      // Wrapped or cut at the rectangle: the painter lays it out.
      painter.drawText(rect, flags, text);
      return;
    }
    const QPointF at = AlignedIn(rect, QSizeF(shaped.width, shaped.height), flags);
    for (const QGlyphRun& run : shaped.runs) DrawGlyphs(painter, at, run, text, font);
  }

  void DrawGlyphs(QPainter& painter, const QPointF& origin, const QGlyphRun& run,
                  const QString& text, const QFont& font) {
    if (!painter.hasClipping() && clip_enabled_) {
      clip_enabled_ = false;
      clip_dirty_ = true;
    }
    DrawRun(origin, run, text, &font, painter.pen().color(), painter.worldTransform());
  }

 private:
  void Fail(const QString& error) {
    if (error_.isEmpty()) error_ = error;
  }

  void Write(const QByteArray& data) {
    if (!error_.isEmpty()) return;
    errno = 0;
    if (out_->write(data) != data.size()) {
      // The system's reason in plain words where there is one ("the disk is full"); a file
      // device's own text is often only "Unknown error".
      const int reason = errno;
      Fail(reason != 0 ? site::PlainError(reason) : out_->errorString());
      return;
    }
    written_ += data.size();
  }

  int NewObject() {
    objects_.push_back(-1);
    return int(objects_.size()) - 1;
  }

  void BeginObject(int number) {
    objects_[number] = written_;
    Write(QByteArray::number(number) + " 0 obj\n");
  }

  // A stream object of its own, compressed.
  void WriteStream(int number, const QByteArray& data, const QByteArray& extra = {}) {
    WritePacked(number, Compressed(data), extra);
  }

  void WritePacked(int number, const QByteArray& packed, const QByteArray& extra = {}) {
    BeginObject(number);
    Write("<< /Length " + QByteArray::number(packed.size()) + " /Filter /FlateDecode" + extra +
          " >>\nstream\n");
    Write(packed);
    Write("\nendstream\nendobj\n");
  }

  void SetTransform(const QTransform& transform) {
    transform_ = transform;
    const double k = 72.0 / document_->Resolution();
    to_pdf_ = transform * QTransform(k, 0, 0, -k, 0, document_->PageSize().height());
    scale_ = std::sqrt(std::abs(transform.determinant())) * k;
  }

  void ClipWith(const QPainterPath& path, Qt::ClipOperation operation) {
    if (operation == Qt::NoClip) {
      clips_.clear();
      clip_enabled_ = false;
    } else {
      if (operation == Qt::ReplaceClip) clips_.clear();
      clips_.push_back(path);
      clip_enabled_ = true;
    }
    clip_dirty_ = true;
  }

  // Clips are intersections within the state saved at the start of the page: a new clip goes
  // back to that state and clips afresh.
  void ApplyClip() {
    if (!clip_dirty_) return;
    clip_dirty_ = false;
    page_.append("Q q\n");
    state_ = StreamState();
    if (!clip_enabled_) return;
    const double k = 72.0 / document_->Resolution();
    const QTransform device(k, 0, 0, -k, 0, document_->PageSize().height());
    for (const QPainterPath& clip : clips_) {
      if (clip.isEmpty()) {
        page_.append("0 0 0 0 re W n\n");
        continue;
      }
      AppendPath(page_, clip, device);
      page_.append(clip.fillRule() == Qt::OddEvenFill ? "W* n\n" : "W n\n");
    }
  }

  void AppendPoint(QByteArray& out, const QPointF& p) const {
    const QPointF q = to_pdf_.map(p);
    AppendNumbers(out, {q.x(), q.y()});
  }

  void AppendPolygon(QByteArray& out, const QPolygonF& polygon, bool close) const {
    for (int i = 0; i < polygon.size(); ++i) {
      AppendPoint(out, polygon[i]);
      out.append(i == 0 ? "m " : "l ");
    }
    if (close) out.append('h');
    out.append('\n');
  }

  static void AppendPath(QByteArray& out, const QPainterPath& path, const QTransform& m) {
    for (int i = 0; i < path.elementCount(); ++i) {
      const QPainterPath::Element& e = path.elementAt(i);
      const QPointF p = m.map(QPointF(e.x, e.y));
      switch (e.type) {
        case QPainterPath::MoveToElement:
          AppendNumbers(out, {p.x(), p.y()});
          out.append("m\n");
          break;
        case QPainterPath::LineToElement:
          AppendNumbers(out, {p.x(), p.y()});
          out.append("l\n");
          break;
        case QPainterPath::CurveToElement: {
          if (i + 2 >= path.elementCount()) return;
          const QPainterPath::Element& c2 = path.elementAt(i + 1);
          const QPainterPath::Element& end = path.elementAt(i + 2);
          const QPointF q = m.map(QPointF(c2.x, c2.y));
          const QPointF r = m.map(QPointF(end.x, end.y));
          AppendNumbers(out, {p.x(), p.y(), q.x(), q.y(), r.x(), r.y()});
          out.append("c\n");
          i += 2;
          break;
        }
        case QPainterPath::CurveToDataElement:
          break;
      }
    }
  }

  static int Alpha(const QColor& color, double opacity) {
    return std::clamp(int(std::lround(color.alpha() * opacity)), 0, 255);
  }

  void SetAlpha(int alpha) {
    if (state_.alpha == alpha) return;
    state_.alpha = alpha;
    if (!alphas_.contains(alpha)) alphas_.insert(alpha, "/A" + QByteArray::number(alpha));
    page_.append(alphas_.value(alpha) + " gs\n");
  }

  static void AppendColor(QByteArray& out, QRgb rgb, const char* op) {
    AppendNumbers(out, {qRed(rgb) / 255.0, qGreen(rgb) / 255.0, qBlue(rgb) / 255.0});
    out.append(op);
    out.append('\n');
  }

  void SetFill(const QColor& color) {
    const QRgb rgb = color.rgb() & 0xffffff;
    if (state_.fill == rgb) return;
    state_.fill = rgb;
    AppendColor(page_, rgb, "rg");
  }

  void SetStroke() {
    const QRgb rgb = pen_.color().rgb() & 0xffffff;
    if (state_.stroke != rgb) {
      state_.stroke = rgb;
      AppendColor(page_, rgb, "RG");
    }
    // A cosmetic pen keeps its width in device pixels; a width of 0 is the thinnest line.
    const double width =
        pen_.isCosmetic() ? pen_.widthF() * 72.0 / document_->Resolution() : pen_.widthF() * scale_;
    if (state_.width != width) {
      state_.width = width;
      AppendNumber(page_, width);
      page_.append(" w\n");
    }
    const int cap = pen_.capStyle() == Qt::RoundCap ? 1 : pen_.capStyle() == Qt::SquareCap ? 2 : 0;
    if (state_.cap != cap) {
      state_.cap = cap;
      page_.append(QByteArray::number(cap) + " J\n");
    }
    const int join = pen_.joinStyle() == Qt::RoundJoin   ? 1
                     : pen_.joinStyle() == Qt::BevelJoin ? 2
                                                         : 0;
    if (state_.join != join) {
      state_.join = join;
      page_.append(QByteArray::number(join) + " j\n");
    }
    QByteArray dash("[");
    if (pen_.style() != Qt::SolidLine) {
      // Dashes are in pen widths.
      const double unit = width > 0 ? width : 72.0 / document_->Resolution();
      for (qreal part : pen_.dashPattern()) {
        AppendNumber(dash, part * unit);
        dash.append(' ');
      }
      dash.append("] ");
      AppendNumber(dash, pen_.dashOffset() * unit);
    } else {
      dash.append("] 0");
    }
    if (state_.dash != dash) {
      state_.dash = dash;
      page_.append(dash + " d\n");
    }
  }

  // Fills and strokes a path as the brush and pen are set.
  void Paint(const QByteArray& path, bool fill, bool stroke, bool odd_even) {
    const bool filled =
        fill && brush_.style() != Qt::NoBrush && Alpha(brush_.color(), opacity_) > 0;
    const bool stroked = stroke && pen_.style() != Qt::NoPen && Alpha(pen_.color(), opacity_) > 0;
    if (!filled && !stroked) return;
    ApplyClip();
    if (filled) {
      // Patterns and gradients are not used on report pages; they fill with their colour.
      SetAlpha(Alpha(brush_.color(), opacity_));
      SetFill(brush_.color());
      page_.append(path);
      page_.append(odd_even ? "f*\n" : "f\n");
    }
    if (stroked) {
      SetAlpha(Alpha(pen_.color(), opacity_));
      SetStroke();
      page_.append(path);
      page_.append("S\n");
    }
  }

  EmbeddedFont& FontOf(const QRawFont& raw) {
    // The same face comes at many sizes; each size is looked up by its name once.
    if (EmbeddedFont* known = by_size_.value(raw)) return *known;
    const FontKey key{raw.familyName(), raw.styleName(), raw.weight(), int(raw.style())};
    auto it = fonts_.find(key);
    if (it == fonts_.end())
      it = fonts_.insert(key, std::make_shared<EmbeddedFont>(raw, int(fonts_.size()) + 1));
    by_size_.insert(raw, it->get());
    return **it;
  }

  void DrawRun(const QPointF& origin, const QGlyphRun& run, const QString& text, const QFont* font,
               const QColor& color, const QTransform& world) {
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    if (glyphs.isEmpty() || positions.size() != glyphs.size()) return;
    const int alpha = Alpha(color, opacity_);
    if (alpha == 0) return;
    const QRawFont raw = run.rawFont();
    EmbeddedFont& embedded = FontOf(raw);
    ApplyClip();
    SetAlpha(alpha);
    SetFill(color);
    const double k = 72.0 / document_->Resolution();
    const QTransform device(k, 0, 0, -k, 0, document_->PageSize().height());
    if (!embedded.Embeddable()) {
      // Outlines, filled.
      QByteArray path;
      for (qsizetype i = 0; i < glyphs.size(); ++i) {
        QPainterPath outline = raw.pathForGlyph(glyphs[i]);
        outline.translate(origin + positions[i]);
        AppendPath(path, outline, world * device);
      }
      page_.append(path + "f\n");
      return;
    }
    embedded.Use(glyphs, text, font, document_);
    const double size = raw.pixelSize();
    if (!(size > 0)) return;
    // Text space: the painter's coordinates from the run's first glyph, y pointing up.
    const QPointF first = origin + positions[0];
    const QTransform m =
        world.type() == QTransform::TxNone
            ? QTransform(k, 0, 0, k, first.x() * k, document_->PageSize().height() - first.y() * k)
            : QTransform(1, 0, 0, -1, 0, 0) * QTransform::fromTranslate(first.x(), first.y()) *
                  world * device;
    // The text object is written into a buffer of its own and appended in one piece: a glyph
    // takes its four digits, a kerning shift at most 26 characters, a new line at most 60.
    run_.resize(std::size_t(glyphs.size()) * 90 + 256);
    char* out = run_.data();
    auto put = [&out](const char* text) {
      while (*text) *out++ = *text++;
    };
    static const char digits[] = "0123456789ABCDEF";
    put("BT ");
    for (char c : embedded.Name()) *out++ = c;
    *out++ = ' ';
    out = WriteNumber(out, size);
    put(" Tf ");
    for (double v : {m.m11(), m.m12(), m.m21(), m.m22(), m.dx(), m.dy()}) {
      out = WriteNumber(out, v);
      *out++ = ' ';
    }
    put("Tm [<");
    double line_x = positions[0].x();
    double line_y = positions[0].y();
    double pen_x = line_x;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
      const QPointF at = positions[i];
      if (std::abs(at.y() - line_y) > 1e-6) {
        put(">] TJ ");
        out = WriteNumber(out, at.x() - line_x);
        *out++ = ' ';
        out = WriteNumber(out, line_y - at.y());
        put(" Td [<");
        line_x = pen_x = at.x();
        line_y = at.y();
      }
      const double shift = (pen_x - at.x()) * 1000.0 / size;
      if (std::abs(shift) >= 0.5) {
        *out++ = '>';
        out = WriteNumber(out, shift);
        *out++ = '<';
        pen_x = at.x();
      }
      const quint32 g = embedded.Valid(glyphs[i]) ? glyphs[i] : 0;
      *out++ = digits[(g >> 12) & 15];
      *out++ = digits[(g >> 8) & 15];
      *out++ = digits[(g >> 4) & 15];
      *out++ = digits[g & 15];
      pen_x += embedded.Advance(g) * size / 1000.0;
    }
    put(">] TJ ET\n");
    page_.append(run_.data(), out - run_.data());
  }

  QByteArray WriteImage(const QImage& image) {
    const bool alpha = image.hasAlphaChannel();
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray samples;
    samples.reserve(rgb.width() * rgb.height() * 3);
    for (int y = 0; y < rgb.height(); ++y)
      samples.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), rgb.width() * 3);
    const QByteArray size = " /Width " + QByteArray::number(rgb.width()) + " /Height " +
                            QByteArray::number(rgb.height()) + " /BitsPerComponent 8";
    QByteArray mask;
    if (alpha) {
      const QImage a = image.convertToFormat(QImage::Format_Alpha8);
      QByteArray levels;
      for (int y = 0; y < a.height(); ++y)
        levels.append(reinterpret_cast<const char*>(a.constScanLine(y)), a.width());
      const int number = NewObject();
      WriteStream(number, levels, " /Type /XObject /Subtype /Image /ColorSpace /DeviceGray" + size);
      mask = " /SMask " + QByteArray::number(number) + " 0 R";
    }
    const int number = NewObject();
    WriteStream(number, samples,
                " /Type /XObject /Subtype /Image /ColorSpace /DeviceRGB" + size + mask);
    const QByteArray name = "/Im" + QByteArray::number(images_.size() + 1);
    images_.emplace_back(name, number);
    return name;
  }

  void StartPage() {
    page_.clear();
    page_.reserve(64 * 1024);
    // The page's state is saved first, so a clip can be taken back.
    page_.append("q\n");
    state_ = StreamState();
    clip_dirty_ = clip_enabled_;
  }

  void FinishPage() {
    page_.append("Q\n");
    const int number = NewObject();
    pages_.push_back(number);
    compressor_.Push(number, std::move(page_));
    page_ = QByteArray();
    WriteCompressed(false);
  }

  // Writes the page streams compressed so far; with `all`, every one.
  void WriteCompressed(bool all) {
    for (const auto& [number, packed] : compressor_.Take(all)) WritePacked(number, packed);
  }

  void WriteFonts() {
    WriteCompressed(true);
    for (const auto& font : std::as_const(fonts_)) {
      if (!font->Embeddable()) continue;
      const int type0 = NewObject();
      const int cid = NewObject();
      const int descriptor = NewObject();
      const int file = NewObject();
      const int to_unicode = NewObject();
      font_objects_.emplace_back(font->Name(), type0);
      BeginObject(type0);
      Write("<< /Type /Font /Subtype /Type0 /BaseFont /" + font->BaseName() +
            " /Encoding /Identity-H /DescendantFonts [" + QByteArray::number(cid) +
            " 0 R] /ToUnicode " + QByteArray::number(to_unicode) + " 0 R >>\nendobj\n");
      BeginObject(cid);
      Write("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + font->BaseName() +
            " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
            " /FontDescriptor " +
            QByteArray::number(descriptor) + " 0 R /CIDToGIDMap /Identity /DW 0 /W " +
            font->Widths() + " >>\nendobj\n");
      BeginObject(descriptor);
      Write(font->Descriptor() + " /FontFile2 " + QByteArray::number(file) + " 0 R >>\nendobj\n");
      const QByteArray program = font->Subset();
      WriteStream(file, program, " /Length1 " + QByteArray::number(program.size()));
      WriteStream(to_unicode, font->ToUnicode());
    }
  }

  void WriteTrailer() {
    BeginObject(3);
    QByteArray resources("<< /ProcSet [/PDF /Text /ImageB /ImageC] /Font <<");
    for (const auto& [name, number] : font_objects_)
      resources.append(' ' + name + ' ' + QByteArray::number(number) + " 0 R");
    resources.append(" >> /ExtGState <<");
    for (auto it = alphas_.cbegin(); it != alphas_.cend(); ++it) {
      resources.append(' ' + it.value() + " << /ca ");
      AppendNumber(resources, it.key() / 255.0);
      resources.append(" /CA ");
      AppendNumber(resources, it.key() / 255.0);
      resources.append(" >>");
    }
    resources.append(" >> /XObject <<");
    for (const auto& [name, number] : images_)
      resources.append(' ' + name + ' ' + QByteArray::number(number) + " 0 R");
    resources.append(" >> >>\nendobj\n");
    Write(resources);

    QByteArray media("[0 0 ");
    AppendNumbers(media, {document_->PageSize().width()});
    AppendNumber(media, document_->PageSize().height());
    media.append(']');
    QByteArray kids;
    for (int content : pages_) {
      const int page = NewObject();
      BeginObject(page);
      Write("<< /Type /Page /Parent 2 0 R /MediaBox " + media + " /Resources 3 0 R /Contents " +
            QByteArray::number(content) + " 0 R >>\nendobj\n");
      kids.append(QByteArray::number(page) + " 0 R ");
    }
    BeginObject(2);
    Write("<< /Type /Pages /Kids [" + kids + "] /Count " +
          QByteArray::number(qulonglong(pages_.size())) + " >>\nendobj\n");
    BeginObject(1);
    Write("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
    BeginObject(4);
    const QByteArray date =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    Write("<< /Title " + TextString(title) + " /Creator " + TextString(creator) +
          " /CreationDate (D:" + date + "Z) >>\nendobj\n");

    const qint64 xref = written_;
    QByteArray table =
        "xref\n0 " + QByteArray::number(qulonglong(objects_.size())) + "\n0000000000 65535 f \n";
    for (std::size_t i = 1; i < objects_.size(); ++i) {
      if (objects_[i] < 0) Fail(i18n::Tr(N_("an object of the document was not written")));
      table.append(QByteArray::number(std::max<qint64>(objects_[i], 0)).rightJustified(10, '0') +
                   " 00000 n \n");
    }
    Write(table);
    Write("trailer\n<< /Size " + QByteArray::number(qulonglong(objects_.size())) +
          " /Root 1 0 R /Info 4 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n");
  }

  PdfDocument* document_;
  QIODevice* out_;
  QString error_;
  bool started_ = false;
  bool finished_ = false;
  qint64 written_ = 0;
  std::vector<qint64> objects_;  // offset of each object by number; -1 until written
  std::vector<int> pages_;       // the content stream of each page
  QByteArray page_;
  std::vector<char> run_;  // a text object being written
  StreamState state_;

  QPen pen_;
  QBrush brush_;
  double opacity_ = 1;
  QTransform transform_;
  QTransform to_pdf_;
  double scale_ = 1;
  std::vector<QPainterPath> clips_;  // device coordinates
  bool clip_enabled_ = false;
  bool clip_dirty_ = false;

  QHash<FontKey, std::shared_ptr<EmbeddedFont>> fonts_;
  QHash<QRawFont, EmbeddedFont*> by_size_;
  std::vector<std::pair<QByteArray, int>> font_objects_;
  QHash<ShapeKey, ShapedLine> shaped_;
  QMap<int, QByteArray> alphas_;
  std::vector<std::pair<QByteArray, int>> images_;
  Compressor compressor_;
};

PdfDocument::PdfDocument(QIODevice* out, QSizeF page, int resolution)
    : page_(page),
      resolution_(std::max(1, resolution)),
      engine_(std::make_unique<PdfEngine>(this, out)) {}

PdfDocument::~PdfDocument() = default;

void PdfDocument::SetTitle(const QString& title) { engine_->title = title; }
void PdfDocument::SetCreator(const QString& creator) { engine_->creator = creator; }

QPaintEngine* PdfDocument::paintEngine() const { return engine_.get(); }

bool PdfDocument::NewPage() { return engine_->NewPage(); }

void PdfDocument::DrawGlyphs(QPainter& painter, const QPointF& origin, const QGlyphRun& run,
                             const QString& text) {
  engine_->DrawGlyphs(painter, origin, run, text, painter.font());
}

double PdfDocument::TextWidth(const QString& text, const QFont& font) const {
  return engine_->Shape(text, font).width;
}

void PdfDocument::DrawText(QPainter& painter, const QRectF& rect, int flags, const QString& text) {
  engine_->DrawText(painter, rect, flags, text);
}

bool PdfDocument::Finished() const { return engine_->Finished(); }
QString PdfDocument::Error() const { return engine_->Error(); }

int PdfDocument::metric(PaintDeviceMetric metric) const {
  const double width = page_.width() * resolution_ / 72.0;
  const double height = page_.height() * resolution_ / 72.0;
  switch (metric) {
    case PdmWidth:
      return int(std::lround(width));
    case PdmHeight:
      return int(std::lround(height));
    case PdmWidthMM:
      return int(std::lround(page_.width() * 25.4 / 72.0));
    case PdmHeightMM:
      return int(std::lround(page_.height() * 25.4 / 72.0));
    case PdmNumColors:
      return INT_MAX;
    case PdmDepth:
      return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
      return resolution_;
    case PdmDevicePixelRatio:
      return 1;
    case PdmDevicePixelRatioScaled:
      return int(QPaintDevice::devicePixelRatioFScale());
  }
  return 0;
}

}  // namespace velmora::reports
