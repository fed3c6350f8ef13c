#include "reports/report_layout.h"

#include <QDate>
#include <QHash>
#include <QPagedPaintDevice>
#include <algorithm>
#include <memory>
#include <optional>

#include "i18n/display_format.h"
#include "i18n/messages.h"
#include "i18n/tr.h"
#include "reports/pdf_document.h"
#include "site/run_state.h"

namespace velmora::reports {
namespace {

using i18n::Msg;
using i18n::Text;
using i18n::Tr;
using Kind = TableRow::Kind;

using Group = std::vector<const TierRow*>;

QHash<int, Group> ByPanel(const std::vector<TierRow>& rows) {
  QHash<int, Group> groups;
  for (const TierRow& row : rows) groups[row.panel].push_back(&row);
  return groups;
}

QString ReportTitle(ReportKind kind) {
  return kind == ReportKind::kSite ? Tr(N_("Report - Site Data")) : Tr(N_("Report - Partlist"));
}

// A loop whose check failed, or a total beyond the power supply.
bool IsOverload(const QString& comment) {
  return comment.startsWith(Text(Msg::kLoopOverload)) || comment == Text(Msg::kPowerSupplyOverload);
}

// The height of a loop's figure on a panel's page, points: three fit on a page of A4.
constexpr double kFigureHeight = 150;
// The advisory's mark in a report's text.
const QString kAdvisoryMark = QStringLiteral("\u2139");

TableRow Row(Kind kind, QStringList cells, bool alert = false) {
  TableRow row;
  row.kind = kind;
  row.cells = std::move(cells);
  row.alert = alert;
  return row;
}

class ReportBuilder {
 public:
  ReportBuilder(const ReportData& data, ReportKind kind, QPaintDevice* device)
      : data_(data), kind_(kind), flow_(device) {}

  std::vector<ReportPage> Build() {
    TitleBlock();
    if (kind_ == ReportKind::kSite) {
      Overview();
      for (const TierRow& panel : data_.panels) Panel(panel);
    } else {
      Parts();
    }
    AddHeadersAndFooters(flow_, Site("SiteName").trimmed(), ReportTitle(kind_),
                         site::kApplicationTitle, Tr(N_("Page %1 of %2")));
    return std::move(flow_.Pages());
  }

 private:
  QString Site(const char* column) const { return data_.site.value(column); }
  // A site value as the report shows it: the site's date in the form of the report's language,
  // every other value as stored.
  QString SiteText(const char* column) const {
    const QString stored = Site(column);
    if (QLatin1String(column) != QLatin1String("SiteDate")) return stored;
    const QDate date = QDate::fromString(stored.left(10), Qt::ISODate);
    return date.isValid() ? i18n::FormatDate(date) : stored;
  }
  QString Label(const char* column) const { return data_.sections.value(column); }

  void TitleBlock() {
    const TextStyle title{17, true, false, kAccent};
    const TextStyle subtitle{10.5, false, false, QColor(0x50, 0x50, 0x50)};
    const QString name = Site("SiteName").trimmed();
    const double title_height = flow_.TextHeight(name, title, flow_.Width());
    flow_.Text(QRectF(flow_.Left(), flow_.Y(), flow_.Width(), title_height), name, title,
               int(Qt::AlignLeft | Qt::AlignTop) | Qt::TextWordWrap);
    flow_.Advance(title_height + 2);
    const double sub_height = flow_.LineHeight(subtitle);
    flow_.Text(QRectF(flow_.Left(), flow_.Y(), flow_.Width(), sub_height), ReportTitle(kind_),
               subtitle, int(Qt::AlignLeft | Qt::AlignTop));
    flow_.Advance(sub_height + 10);

    // Label and value pairs side by side: address on the left, contact and times on the right.
    const char* const pairs[][2] = {
        {"SiteName", "SiteDate"},    {"ContactName", "SalesChannel"},
        {"AddressLine1", "Phone"},   {"AddressLine2", "Fax"},
        {"City", "Email"},           {"State/Province", "StandbyTime"},
        {"PostalCode", "AlarmTime"}, {"Country", nullptr},
    };
    // Each label column as wide as its longest label, so that no label wraps ("Überbrückungszeit
    // des Systems" needs more than a quarter of the line); the values share what is left.
    const auto label_share = [this](double widest) {
      return std::max(0.12, (widest + 2 * CellPadding() + 2) / flow_.Width());
    };
    double left_widest = flow_.TextWidth(Label("Comment"), BodyStyle());
    double right_widest = 0;
    for (const auto& pair : pairs) {
      left_widest = std::max(left_widest, flow_.TextWidth(Label(pair[0]), BodyStyle()));
      if (pair[1])
        right_widest = std::max(right_widest, flow_.TextWidth(Label(pair[1]), BodyStyle()));
    }
    const double left_label = label_share(left_widest);
    const double right_label = label_share(right_widest);
    const double value = std::max(0.1, (1.0 - left_label - right_label) / 2);
    std::vector<TableRow> rows;
    for (const auto& pair : pairs) {
      rows.push_back(
          Row(Kind::kBody, {Label(pair[0]), SiteText(pair[0]), pair[1] ? Label(pair[1]) : QString(),
                            pair[1] ? SiteText(pair[1]) : QString()}));
    }
    AddTable(
        flow_,
        {{left_label, Qt::AlignLeft, true}, {value}, {right_label, Qt::AlignLeft, true}, {value}},
        rows);
    AddTable(flow_, {{left_label, Qt::AlignLeft, true}, {1.0 - left_label}},
             {Row(Kind::kBody, {Label("Comment"), Site("Comment")})});
  }

  // One line per panel with its totals, battery and status, so an overload shows on page one.
  void Overview() {
    AddSectionHeading(flow_, Text(Msg::kPanels));
    const QHash<int, Group> currents = ByPanel(data_.currents);
    const QHash<int, Group> details = ByPanel(data_.details);
    std::vector<TableRow> rows;
    rows.push_back(Row(Kind::kHeading, {Text(Msg::kPanel), Text(Msg::kPanelName),
                                        Text(Msg::kQuiescentCurrentMa), Text(Msg::kAlarmCurrentMa),
                                        Text(Msg::kBatteryCapacityAh), Text(Msg::kComment)}));
    for (const TierRow& panel : data_.panels) {
      const Group lines = currents.value(panel.panel);
      QString quiescent;
      QString alarm;
      bool loop_overload = false;
      bool supply_overload = false;
      for (std::size_t i = 1; i < lines.size(); ++i) {
        const bool total = i + 1 == lines.size();
        if (total) {
          quiescent = lines[i]->tiers[1];
          alarm = lines[i]->tiers[2];
          supply_overload = IsOverload(lines[i]->tiers[3]);
        } else if (IsOverload(lines[i]->tiers[3])) {
          loop_overload = true;
        }
      }
      QString battery;
      for (const TierRow* detail : details.value(panel.panel)) {
        if (detail->tiers[0] == Text(Msg::kBatteryCapacityAh))
          battery = detail->tiers[1] + detail->tiers[2];
      }
      QStringList status;
      if (loop_overload) status << Text(Msg::kLoopOverload);
      if (supply_overload) status << Text(Msg::kPowerSupplyOverload);
      if (status.isEmpty()) status << Text(Msg::kOk);
      rows.push_back(Row(Kind::kBody,
                         {QString::number(panel.panel), panel.tiers[0], quiescent, alarm, battery,
                          status.join(" , ")},
                         loop_overload || supply_overload));
    }
    if (data_.panels.empty()) rows.push_back(Row(Kind::kEmpty, {Text(Msg::kNone)}));
    AddTable(flow_,
             {{0.07, Qt::AlignRight},
              {0.22},
              {0.12, Qt::AlignRight},
              {0.12, Qt::AlignRight},
              {0.27},
              {0.20}},
             rows);
  }

  void Panel(const TierRow& panel) {
    if (!details_) {
      details_ = ByPanel(data_.details);
      currents_ = ByPanel(data_.currents);
      devices_ = ByPanel(data_.devices);
      battery_ = ByPanel(data_.battery);
      for (const LoopLine& line : data_.loops) loops_[line.panel].push_back(&line);
    }
    flow_.NewPage();
    const TextStyle band_style{12.5, true, false, Qt::white};
    const QString caption =
        Text(Msg::kPanel) + " " + QString::number(panel.panel) + ": " + panel.tiers[0];
    const double band = flow_.TextHeight(caption, band_style, flow_.Width() - 16) + 10;
    flow_.Box(QRectF(flow_.Left(), flow_.Y(), flow_.Width(), band), kAccent);
    flow_.Text(QRectF(flow_.Left() + 8, flow_.Y() + 5, flow_.Width() - 16, band - 10), caption,
               band_style, int(Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextWordWrap);
    flow_.Advance(band + 2);

    AddSectionHeading(flow_, Label("PanelProperties"));
    std::vector<TableRow> rows;
    for (const TierRow* row : details_->value(panel.panel))
      rows.push_back(Row(Kind::kBody, {row->tiers[0], row->tiers[1], row->tiers[2]}));
    AddTable(flow_, {{0.28, Qt::AlignLeft, true}, {0.36}, {0.36}}, rows);

    AddSectionHeading(flow_, Label("TotalCurrents"));
    rows.clear();
    const Group lines = currents_.value(panel.panel);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const TierRow& line = *lines[i];
      const Kind kind = i == 0                  ? Kind::kHeading
                        : i + 1 == lines.size() ? Kind::kTotal
                                                : Kind::kBody;
      rows.push_back(Row(kind, {line.tiers[0], line.tiers[1], line.tiers[2], line.tiers[3]},
                         i > 0 && IsOverload(line.tiers[3])));
    }
    AddTable(flow_, {{0.30}, {0.17, Qt::AlignRight}, {0.17, Qt::AlignRight}, {0.36}}, rows);

    QStringList battery;
    for (const TierRow* line : battery_.value(panel.panel)) battery << line->tiers[0];
    if (!battery.isEmpty()) {
      AddSectionHeading(flow_, Tr(N_("Battery Calculation")));
      AddTextBlock(flow_, battery);
    }

    LoopEvidence(panel.panel);

    AddSectionHeading(flow_, Label("DeviceProperties"));
    rows.clear();
    bool any_device = false;
    const Group devices = devices_.value(panel.panel);
    for (std::size_t i = 0; i < devices.size(); ++i) {
      const TierRow& device = *devices[i];
      if (i == 0) {
        rows.push_back(Row(Kind::kHeading,
                           {device.tiers[0], device.tiers[1], device.tiers[2], device.tiers[3]}));
      } else if (device.tiers[1].isEmpty() && device.tiers[2].isEmpty() &&
                 device.tiers[3].isEmpty()) {
        rows.push_back(Row(Kind::kSubHeading, {device.tiers[0]}));
      } else {
        rows.push_back(
            Row(Kind::kBody, {device.tiers[0], device.tiers[1], device.tiers[2], device.tiers[3]}));
        any_device = true;
      }
    }
    if (!any_device) rows.push_back(Row(Kind::kEmpty, {Text(Msg::kNone)}));
    AddTable(flow_, {{0.09, Qt::AlignRight}, {0.19, Qt::AlignRight}, {0.36}, {0.36}}, rows);

    Profiles(panel.panel);
  }

  // The voltage along the panel's loops: a line per loop with its lowest voltages and the
  // device closest to its minimum, the advisories beside the loop's status; then the figure of
  // every loop that has devices.
  void Profiles(int panel) {
    std::vector<const ProfileRow*> loops;
    for (const ProfileRow& row : data_.profiles) {
      if (row.panel == panel) loops.push_back(&row);
    }
    if (loops.empty()) return;
    AddSectionHeading(flow_, Tr(N_("Voltage Along the Loops")));
    std::vector<TableRow> rows;
    rows.push_back(Row(Kind::kHeading, {Text(Msg::kLoop), Tr(N_("Status")), Tr(N_("Both ends (V)")),
                                        Tr(N_("Broken (V)")), Tr(N_("Closest to its minimum")),
                                        Tr(N_("Margin (V)")), Tr(N_("Advisories"))}));
    for (const ProfileRow* loop : loops) {
      QStringList advisories;
      for (const QString& text : loop->advisories) advisories << kAdvisoryMark + " " + text;
      TableRow row = Row(Kind::kBody,
                         {loop->name, loop->status, loop->lowest_healthy, loop->lowest_broken,
                          loop->weakest_device, loop->margin, advisories.join('\n')},
                         IsOverload(loop->status));
      if (!advisories.isEmpty()) row.advisory_cell = 6;
      rows.push_back(std::move(row));
    }
    AddTable(flow_,
             {{0.10},
              {0.16},
              {0.10, Qt::AlignRight},
              {0.10, Qt::AlignRight},
              {0.20},
              {0.09, Qt::AlignRight},
              {0.25}},
             rows);

    const TextStyle title{8.5, true, false, kAccent};
    for (const ProfileRow* loop : loops) {
      std::optional<ProfileFigure> figure = FigureFromText(loop->figure);
      // A damaged cell draws nothing rather than a wrong figure; an empty loop has no curve.
      if (!figure || figure->distance.empty()) continue;
      const QString caption = ProfileFigureTitle(loop->loop);
      const double caption_height = flow_.LineHeight(title);
      flow_.Reserve(8 + caption_height + 2 + kFigureHeight);
      if (!flow_.AtPageTop()) flow_.Advance(8);
      flow_.Text(QRectF(flow_.Left(), flow_.Y(), flow_.Width(), caption_height), caption, title,
                 int(Qt::AlignLeft | Qt::AlignTop) | Qt::TextSingleLine);
      flow_.Advance(caption_height + 2);
      flow_.Figure(QRectF(flow_.Left(), flow_.Y(), flow_.Width(), kFigureHeight),
                   std::make_shared<const ProfileFigure>(std::move(*figure)));
      flow_.Advance(kFigureHeight);
    }
  }

  // Per loop a row of its figures and under it its status with what the status means.
  void LoopEvidence(int panel) {
    const std::vector<const LoopLine*> lines = loops_.value(panel);
    if (lines.empty()) return;
    AddSectionHeading(flow_, Text(Msg::kLoops));
    std::vector<TableRow> rows;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const LoopLine& line = *lines[i];
      if (i == 0) {
        rows.push_back(Row(Kind::kHeading, line.cells));
        continue;
      }
      TableRow figures = Row(Kind::kBody, line.cells, line.standing >= 2);
      figures.caution = line.standing == 1;
      rows.push_back(figures);
      QString status = line.status;
      if (!line.explanation.isEmpty()) status += "\n" + line.explanation.join('\n');
      TableRow note = Row(Kind::kNote, {status}, figures.alert);
      note.caution = figures.caution;
      rows.push_back(note);
    }
    if (lines.size() == 1) rows.push_back(Row(Kind::kEmpty, {Text(Msg::kNone)}));
    AddTable(flow_,
             {{0.05, Qt::AlignRight},
              {0.09},
              {0.08, Qt::AlignRight},
              {0.20},
              {0.11, Qt::AlignRight},
              {0.11, Qt::AlignRight},
              {0.12, Qt::AlignRight},
              {0.12, Qt::AlignRight},
              {0.12, Qt::AlignRight}},
             rows);
  }

  void Parts() {
    AddSectionHeading(flow_, Label("Partlist"));
    std::vector<TableRow> rows;
    rows.push_back(Row(Kind::kHeading, {Tr(N_("Quantity")), QString(), Tr(N_("Part"))}));
    for (const TierRow& part : data_.parts)
      rows.push_back(Row(Kind::kBody, {part.tiers[0], part.tiers[1], part.tiers[2]}));
    if (data_.parts.empty()) rows.push_back(Row(Kind::kEmpty, {Text(Msg::kNone)}));
    AddTable(flow_, {{0.16, Qt::AlignRight}, {0.07, Qt::AlignHCenter}, {0.77}}, rows);
    if (!data_.part_notes.isEmpty()) {
      std::vector<TableRow> notes;
      for (const QString& note : data_.part_notes) notes.push_back(Row(Kind::kEmpty, {note}));
      AddTable(flow_, {{1.0}}, notes);
    }
  }

  const ReportData& data_;
  ReportKind kind_;
  PageFlow flow_;
  std::optional<QHash<int, Group>> details_;
  QHash<int, Group> currents_;
  QHash<int, Group> devices_;
  QHash<int, Group> battery_;
  QHash<int, std::vector<const LoopLine*>> loops_;
};

}  // namespace

std::vector<ReportPage> LayoutReport(const ReportData& data, ReportKind kind,
                                     QPaintDevice* device) {
  return ReportBuilder(data, kind, device).Build();
}

int RenderReport(site::Database& print, ReportKind kind, QPagedPaintDevice* device) {
  SetUpPage(device);
  const std::vector<ReportPage> pages = LayoutReport(ReadReportData(print), kind, device);
  return PaintPages(pages, device) ? int(pages.size()) : 0;
}

int RenderReport(site::Database& print, ReportKind kind, PdfDocument* document) {
  const std::vector<ReportPage> pages = LayoutReport(ReadReportData(print), kind, document);
  return PaintPages(pages, document) ? int(pages.size()) : 0;
}

}  // namespace velmora::reports
