#include "tools/graph/ui/graph_dialog.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <climits>

#include "catalogue/param_catalogue.h"
#include "tools/common/ui/board_list.h"
#include "tools/graph/graph_messages.h"
#include "tools/graph/ui/graph_ui_messages.h"

namespace zeq::desk {

// The chart view, timing its drawing.
class GraphChartView : public QChartView {
  public:
    using QChartView::QChartView;
    qint64 lastPaintNs() const { return m_lastPaintNs; }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QElapsedTimer t;
        t.start();
        QChartView::paintEvent(event);
        m_lastPaintNs = t.nsecsElapsed();
    }

  private:
    qint64 m_lastPaintNs = 0;
};

namespace {

QComboBox* nameBox(QWidget* parent, const QString& accessible) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setAccessibleName(accessible);
    for (const ParamRow& row : systemParamRows()) {
        const auto name = row.nameView();
        box->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    box->completer()->setCompletionMode(QCompleter::PopupCompletion);
    box->completer()->setFilterMode(Qt::MatchContains);
    box->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    box->setMinimumContentsLength(10);
    return box;
}

QComboBox* axisBox(QWidget* parent, const QString& accessible) {
    auto* box = new QComboBox(parent);
    box->setAccessibleName(accessible);
    box->setMinimumContentsLength(2);
    return box;
}

void setName(QComboBox* box, const std::string& name) {
    box->setEditText(QString::fromStdString(name));
}

}  // namespace

GraphDialog::GraphDialog(Boards& boards, std::function<int()> targetBoard, QString iniPath,
                         QWidget* parent, UserDialogs* boxes)
    : QDialog(parent),
      m_boards(boards),
      m_targetBoard(std::move(targetBoard)),
      m_iniPath(std::move(iniPath)),
      m_boxes(this, boxes),
      m_capture(boards, m_boxes) {
    setObjectName(QStringLiteral("graphDialog"));
    setWindowTitle(u8text(graph_text::kTitle));
    setAccessibleName(u8text(graph_text::kTitle));
    setModal(false);
    buildChart();
    buildControls();

    m_frame = new QTimer(this);
    m_frame->setSingleShot(true);
    m_frame->setInterval(kFrameMs);
    connect(m_frame, &QTimer::timeout, this, &GraphDialog::flushSamples);

    applySettings(loadGraphSettings(m_iniPath.toStdString()));
    for (int k = 0; k < 3; ++k) showInLegend(k, m_yCheck[static_cast<size_t>(k)]->isChecked());
    m_capture.setObserver(this);
    refresh();
    resize(960, 600);
}

GraphDialog::~GraphDialog() {
    // The capture reports to this dialog: it must have ended before the dialog goes.
    m_capture.stop();
    m_capture.waitIdle();
    m_capture.setObserver(nullptr);
}

void GraphDialog::buildChart() {
    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_axisX = new QValueAxis(m_chart);
    m_axisY = new QValueAxis(m_chart);
    m_axisX->setLabelFormat(QStringLiteral("%lld"));
    m_axisY->setLabelFormat(QStringLiteral("%lld"));
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    const QColor colours[] = {QColor(200, 30, 30), QColor(20, 110, 40), QColor(30, 60, 200)};
    for (int k = 0; k < 3; ++k) {
        auto* s = new QLineSeries(m_chart);
        s->setName(u8text(graph_ui_text::kSeriesName).arg(k + 1));
        s->setPen(QPen(colours[k], 1.5));
        m_chart->addSeries(s);
        s->attachAxis(m_axisX);
        s->attachAxis(m_axisY);
        m_series[static_cast<size_t>(k)] = s;
    }
    m_view = new GraphChartView(m_chart, this);
    m_view->setObjectName(QStringLiteral("graphChart"));
    m_view->setAccessibleName(u8text(graph_ui_text::kChart));
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setMinimumSize(480, 360);
}

void GraphDialog::buildZoomSliders() {
    using namespace graph_ui_text;
    // Zoom sliders with their labels: X under the plot, Y beside it.
    const ZoomSlider xs = ::zeq::desk::zoomSlider(ZoomAxis::X);
    const ZoomSlider ys = ::zeq::desk::zoomSlider(ZoomAxis::Y);
    m_xZoom = new QSlider(Qt::Horizontal, this);
    m_xZoom->setRange(xs.min, xs.max);
    m_xZoom->setValue(xs.start);
    m_xZoom->setAccessibleName(u8text(kZoomX));
    m_yZoom = new QSlider(Qt::Vertical, this);
    m_yZoom->setRange(ys.min, ys.max);
    m_yZoom->setValue(ys.start);
    m_yZoom->setAccessibleName(u8text(kZoomY));
    m_xZoomLabel = new QLabel(u8text(graph_text::kZoomAtOpen), this);
    m_yZoomLabel = new QLabel(u8text(graph_text::kZoomAtOpen), this);
    m_xZoomLabel->setAccessibleName(u8text(kZoomX));
    m_yZoomLabel->setAccessibleName(u8text(kZoomY));
    connect(m_xZoom, &QSlider::valueChanged, this, [this](int p) {
        m_xFactor = zoomFactor(ZoomAxis::X, p);
        m_xZoomLabel->setText(QString::fromStdString(::zeq::desk::zoomLabel(m_xFactor)));
        updateAxes();
    });
    connect(m_yZoom, &QSlider::valueChanged, this, [this](int p) {
        m_yFactor = zoomFactor(ZoomAxis::Y, p);
        m_yZoomLabel->setText(QString::fromStdString(::zeq::desk::zoomLabel(m_yFactor)));
        updateAxes();
    });
}

void GraphDialog::buildControls() {
    using namespace graph_ui_text;
    buildZoomSliders();

    auto* plot = new QGridLayout;
    auto* yZoomBox = new QVBoxLayout;
    yZoomBox->addWidget(m_yZoomLabel, 0, Qt::AlignHCenter);
    yZoomBox->addWidget(m_yZoom, 1, Qt::AlignHCenter);
    plot->addLayout(yZoomBox, 0, 0);
    plot->addWidget(m_view, 0, 1);
    auto* xZoomBox = new QHBoxLayout;
    xZoomBox->addWidget(m_xZoom, 1);
    xZoomBox->addWidget(m_xZoomLabel);
    plot->addLayout(xZoomBox, 1, 1);

    // The board.
    m_board = new QComboBox(this);
    m_board->setObjectName(QStringLiteral("graphBoard"));
    m_board->setAccessibleName(u8text(kBoard));
    m_refresh = new QPushButton(u8text(graph_text::kRefresh), this);
    m_refresh->setObjectName(QStringLiteral("graphRefresh"));
    m_refresh->setAccessibleName(u8text(graph_text::kRefresh));
    connect(m_refresh, &QPushButton::clicked, this, &GraphDialog::refresh);
    connect(m_board, &QComboBox::activated, this, &GraphDialog::boardChanged);

    auto* params = new QGridLayout;
    int row = 0;
    auto* boardLabel = new QLabel(u8text(kBoard), this);
    boardLabel->setBuddy(m_board);
    params->addWidget(boardLabel, row, 0);
    params->addWidget(m_board, row, 1);
    params->addWidget(m_refresh, row, 2);
    ++row;
    // X and its range.
    m_xName = nameBox(this, u8text(kX) + u8text(kName));
    m_xName->setObjectName(QStringLiteral("graphXName"));
    m_xAxis = axisBox(this, u8text(kX) + u8text(kAxis));
    auto* xLabel = new QLabel(u8text(kX), this);
    xLabel->setBuddy(m_xName);
    params->addWidget(xLabel, row, 0);
    params->addWidget(m_xName, row, 1);
    params->addWidget(m_xAxis, row, 2);
    ++row;
    m_low = new QLineEdit(this);
    m_high = new QLineEdit(this);
    m_low->setAccessibleName(u8text(kLow));
    m_high->setAccessibleName(u8text(kHigh));
    for (QLineEdit* f : {m_low, m_high}) f->setValidator(new QIntValidator(INT_MIN, INT_MAX, f));
    auto* lowLabel = new QLabel(u8text(kLow), this);
    lowLabel->setBuddy(m_low);
    auto* highLabel = new QLabel(u8text(kHigh), this);
    highLabel->setBuddy(m_high);
    params->addWidget(lowLabel, row, 0);
    params->addWidget(m_low, row, 1, 1, 2);
    ++row;
    params->addWidget(highLabel, row, 0);
    params->addWidget(m_high, row, 1, 1, 2);
    ++row;
    // The Y parameters; Y1 is checked when the dialog opens.
    const char* yTexts[] = {graph_text::kY1, graph_text::kY2, graph_text::kY3};
    for (int k = 0; k < 3; ++k) {
        const auto i = static_cast<size_t>(k);
        m_yCheck[i] = new QCheckBox(u8text(yTexts[k]), this);
        m_yCheck[i]->setAccessibleName(u8text(yTexts[k]));
        m_yCheck[i]->setChecked(k == 0);
        m_yName[i] = nameBox(this, u8text(yTexts[k]) + u8text(kName));
        m_yAxis[i] = axisBox(this, u8text(yTexts[k]) + u8text(kAxis));
        params->addWidget(m_yCheck[i], row, 0);
        params->addWidget(m_yName[i], row, 1);
        params->addWidget(m_yAxis[i], row, 2);
        ++row;
    }
    // Depth.
    m_depth = new QSpinBox(this);
    m_depth->setRange(1, GraphCapture::kMaxDepth);
    m_depth->setSuffix(QStringLiteral(" ") + u8text(graph_text::kDepthUnit));
    m_depth->setAccessibleName(u8text(graph_text::kDepth));
    auto* depthLabel = new QLabel(u8text(graph_text::kDepth), this);
    depthLabel->setBuddy(m_depth);
    params->addWidget(depthLabel, row, 0);
    params->addWidget(m_depth, row, 1, 1, 2);
    ++row;
    // The cursor field and its readout.
    m_cursor = new QSpinBox(this);
    m_cursor->setRange(INT_MIN, INT_MAX);
    m_cursor->setAccessibleName(u8text(kCursor));
    m_cursorValue = new QLabel(u8text(graph_text::kNoCursorValue), this);
    m_cursorValue->setAccessibleName(u8text(kCursorValue));
    m_cursorValue->setMinimumWidth(80);
    auto* cursorLabel = new QLabel(u8text(kCursor), this);
    cursorLabel->setBuddy(m_cursor);
    params->addWidget(cursorLabel, row, 0);
    params->addWidget(m_cursor, row, 1);
    params->addWidget(m_cursorValue, row, 2);
    ++row;
    connect(m_cursor, &QSpinBox::valueChanged, this, &GraphDialog::updateCursor);

    m_start = new QPushButton(u8text(graph_text::kCaptionStart), this);
    m_start->setObjectName(QStringLiteral("graphStart"));
    m_start->setAccessibleName(u8text(graph_text::kCaptionStart));
    m_start->setDefault(true);
    connect(m_start, &QPushButton::clicked, this, &GraphDialog::startOrStop);
    m_progress = new QLabel(u8text(graph_text::kCapturing), this);
    m_progress->setAccessibleName(u8text(graph_text::kCapturing));
    m_progress->hide();

    auto* exportCsvButton = new QPushButton(u8text(kExportCsv), this);
    auto* exportPngButton = new QPushButton(u8text(kExportPng), this);
    auto* openCsvButton = new QPushButton(u8text(kOpenCsv), this);
    for (QPushButton* b : {exportCsvButton, exportPngButton, openCsvButton})
        b->setAccessibleName(b->text());
    connect(exportCsvButton, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getSaveFileName(this, u8text(kExportCsv), QString(), u8text(kCsvFilter));
        if (!path.isEmpty()) exportCsv(path);
    });
    connect(exportPngButton, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getSaveFileName(this, u8text(kExportPng), QString(), u8text(kPngFilter));
        if (!path.isEmpty()) exportPng(path);
    });
    connect(openCsvButton, &QPushButton::clicked, this, [this] {
        const QString path =
            QFileDialog::getOpenFileName(this, u8text(kOpenCsv), QString(), u8text(kCsvFilter));
        if (!path.isEmpty()) openCsv(path);
    });

    auto* side = new QVBoxLayout;
    side->addLayout(params);
    side->addWidget(m_start);
    side->addWidget(m_progress);
    side->addStretch(1);
    side->addWidget(openCsvButton);
    side->addWidget(exportCsvButton);
    side->addWidget(exportPngButton);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(plot, 1);
    layout->addLayout(side);
}

void GraphDialog::applySettings(const GraphSettings& s) {
    setName(m_xName, s.xName);
    for (size_t k = 0; k < 3; ++k) setName(m_yName[k], s.yNames[k]);
    m_low->setText(QString::number(s.low));
    m_high->setText(QString::number(s.high));
    m_depth->setValue(std::clamp(s.depth, 1, GraphCapture::kMaxDepth));
    const QSignalBlocker block(m_cursor);
    m_cursor->setValue(static_cast<int>(
        std::clamp<std::int64_t>(std::int64_t{s.low} + s.inputX, INT_MIN, INT_MAX)));
    m_plotLow = std::min(s.low, s.high);
    m_plotHigh = std::max(s.low, s.high);
    resetPlot();
}

std::int32_t GraphDialog::fieldValue(const QLineEdit* field) const {
    bool ok = false;
    const qlonglong v = field->text().trimmed().toLongLong(&ok);
    return ok ? static_cast<std::int32_t>(std::clamp<qlonglong>(v, INT_MIN, INT_MAX)) : 0;
}

GraphSettings GraphDialog::settings() const {
    GraphSettings s;
    s.xName = m_xName->currentText().trimmed().toStdString();
    for (size_t k = 0; k < 3; ++k) s.yNames[k] = m_yName[k]->currentText().trimmed().toStdString();
    s.low = fieldValue(m_low);
    s.high = fieldValue(m_high);
    s.depth = m_depth->value();
    const std::int64_t offset = std::int64_t{m_cursor->value()} - s.low;
    s.inputX = static_cast<int>(std::clamp<std::int64_t>(offset, INT_MIN, INT_MAX));
    return s;
}

bool GraphDialog::saveSettings() const {
    return !m_iniPath.isEmpty() && saveGraphSettings(m_iniPath.toStdString(), settings());
}

void GraphDialog::reject() {
    m_capture.stop();
    saveSettings();
    QDialog::reject();
}

// ---- Boards and axes ----

void GraphDialog::refresh() {
    const int preferred = m_board->count() > 0 ? selectedBoard(m_board) : m_targetBoard();
    const int board = fillBoardList(m_board, m_boards, preferred);
    if (board >= 0) m_capture.fillAxisLists(board);
}

void GraphDialog::boardChanged() {
    const int board = selectedBoard(m_board);
    if (board >= 0) m_capture.fillAxisLists(board);
}

void GraphDialog::axisListsFilled(int board, int axisCount) {
    QMetaObject::invokeMethod(
        this,
        [this, board, axisCount] {
            if (board != selectedBoard(m_board)) return;
            QComboBox* lists[] = {m_xAxis, m_yAxis[0], m_yAxis[1], m_yAxis[2]};
            for (QComboBox* list : lists) {
                const int kept = list->currentIndex();
                list->clear();
                for (int a = 0; a < axisCount; ++a) list->addItem(QString::number(a));
                list->setCurrentIndex(kept >= 0 && kept < axisCount ? kept
                                      : axisCount > 0               ? 0
                                                                    : -1);
            }
        },
        Qt::QueuedConnection);
}

// ---- The capture ----

void GraphDialog::startOrStop() {
    if (m_capture.running()) {
        m_capture.stop();
        return;
    }
    GraphRequest rq;
    rq.board = selectedBoard(m_board);
    rq.x = {m_xName->currentText().trimmed().toStdString(), m_xAxis->currentIndex()};
    for (size_t k = 0; k < 3; ++k) {
        rq.y[k] = {m_yName[k]->currentText().trimmed().toStdString(), m_yAxis[k]->currentIndex()};
        rq.yUsed[k] = m_yCheck[k]->isChecked();
    }
    rq.low = fieldValue(m_low);
    rq.high = fieldValue(m_high);
    rq.depth = m_depth->value();
    if (!m_capture.start(rq)) return;
    setWindowTitle(u8text(graph_text::kTitle));
    for (size_t k = 0; k < 3; ++k) {
        m_series[k]->setName(QStringLiteral("%1 %2").arg(
            u8text(graph_ui_text::kSeriesName).arg(k + 1), QString::fromStdString(rq.y[k].name)));
        showInLegend(int(k), rq.yUsed[k]);
    }
    m_samples.clear();
    m_plotLow = std::min(rq.low, rq.high);
    m_plotHigh = std::max(rq.low, rq.high);
    resetPlot();
}

void GraphDialog::captureStarted(std::int32_t low, std::int32_t high) {
    QMetaObject::invokeMethod(
        this,
        [this, low, high] {
            m_refresh->setEnabled(false);
            m_start->setText(u8text(graph_text::kCaptionStop));
            m_progress->show();
            m_plotLow = low;
            m_plotHigh = high;
            updateAxes();
        },
        Qt::QueuedConnection);
}

void GraphDialog::sampleTaken(int) {
    // Worker thread: one request for a repaint until the dialog has drawn.
    if (m_dirty.exchange(true)) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_frame->isActive()) m_frame->start();
        },
        Qt::QueuedConnection);
}

void GraphDialog::captureEnded(bool) {
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_frame->stop();
            flushSamples();
            m_refresh->setEnabled(true);
            m_start->setText(u8text(graph_text::kCaptionRedraw));
            m_progress->hide();
        },
        Qt::QueuedConnection);
}

// ---- Drawing ----

void GraphDialog::clearCurves() {
    for (size_t k = 0; k < 3; ++k) {
        m_points[k].clear();
        m_series[k]->clear();
    }
    m_yEmpty = true;
}

void GraphDialog::resetPlot() {
    clearCurves();
    m_stride = 1;
    m_yMin = m_yMax = 0;
    updateAxes();
    updateCursor();
}

void GraphDialog::flushSamples() {
    m_dirty = false;
    QElapsedTimer t;
    t.start();
    const std::vector<GraphSample> fresh = m_capture.samples(static_cast<int>(m_samples.size()));
    if (fresh.empty()) return;
    const std::size_t first = m_samples.size();
    m_samples.insert(m_samples.end(), fresh.begin(), fresh.end());
    drawFrom(first);
    updateAxes();
    updateCursor();
    // The next drawing waits three times what this one cost (the points now, the last paint).
    const qint64 costMs = (t.nsecsElapsed() + m_view->lastPaintNs()) / 1000000;
    m_frame->setInterval(static_cast<int>(std::clamp<qint64>(3 * costMs, kFrameMs, kMaxFrameMs)));
}

QChartView* GraphDialog::chartView() const {
    return m_view;
}

// Draws the shown samples from `first` on. Samples whose X lay outside the range have no Y
// read and draw nothing. A curve draws every m_stride-th sample; when one would pass
// kMaxDrawnPoints the stride doubles and the curves are drawn anew, so that a deep capture
// costs the same to draw as a shallow one (the files keep every sample).
void GraphDialog::drawFrom(std::size_t first) {
    bool full = false;
    for (size_t k = 0; k < 3; ++k) {
        QList<QPointF>& points = m_points[k];
        const qsizetype before = points.size();
        for (std::size_t i = first; i < m_samples.size(); ++i) {
            const GraphSample& s = m_samples[i];
            if (!s.read[k]) continue;
            if (m_yEmpty) {
                m_yMin = m_yMax = s.y[k];
                m_yEmpty = false;
            }
            m_yMin = std::min(m_yMin, s.y[k]);
            m_yMax = std::max(m_yMax, s.y[k]);
            if (i % m_stride == 0) points.append(QPointF(double(s.x), double(s.y[k])));
        }
        full = full || points.size() > kMaxDrawnPoints;
        // One update of the curve (appending point by point would redo its geometry each time).
        if (!full && points.size() != before) m_series[k]->replace(points);
    }
    if (!full) return;
    m_stride *= 2;
    clearCurves();
    drawFrom(0);
}

// X: the range from its low value, its span divided by the zoom factor. Y: the values drawn,
// around their middle, the span divided by the zoom factor.
void GraphDialog::updateAxes() {
    const double xSpan = std::max<double>(1.0, double(m_plotHigh - m_plotLow)) / m_xFactor;
    m_axisX->setRange(double(m_plotLow), double(m_plotLow) + xSpan);
    double mid = 0, half = 50;
    if (!m_yEmpty) {
        mid = (double(m_yMin) + double(m_yMax)) / 2;
        half = std::max(1.0, (double(m_yMax) - double(m_yMin)) / 2 * 1.1);
    }
    half /= m_yFactor;
    m_axisY->setRange(mid - half, mid + half);
}

void GraphDialog::updateCursor() {
    m_cursorValue->setText(
        QString::fromStdString(graphCursorText(m_samples, std::int64_t{m_cursor->value()})));
}

void GraphDialog::showInLegend(int k, bool shown) {
    for (QLegendMarker* marker : m_chart->legend()->markers(m_series[static_cast<size_t>(k)]))
        marker->setVisible(shown);
}

int GraphDialog::pointCount(int k) const {
    return k >= 0 && k < 3 ? int(m_series[static_cast<size_t>(k)]->count()) : 0;
}

// ---- Files ----

bool GraphDialog::exportCsv(const QString& path) {
    if (!writeGraphCsv(path.toStdString(), m_samples)) {
        m_boxes.message(u8text(graph_ui_text::kWriteFailed).arg(path).toStdString());
        return false;
    }
    return true;
}

bool GraphDialog::exportPng(const QString& path) {
    if (!m_view->grab().save(path, "PNG")) {
        m_boxes.message(u8text(graph_ui_text::kWriteFailed).arg(path).toStdString());
        return false;
    }
    return true;
}

bool GraphDialog::openCsv(const QString& path) {
    if (m_capture.running()) return false;
    std::vector<GraphSample> samples;
    std::string error;
    if (!readGraphCsv(path.toStdString(), samples, error)) {
        m_boxes.message(error);
        return false;
    }
    m_samples = std::move(samples);
    setWindowTitle(
        QStringLiteral("%1 - %2").arg(u8text(graph_text::kTitle), QFileInfo(path).fileName()));
    for (size_t k = 0; k < 3; ++k) {
        m_series[k]->setName(u8text(graph_ui_text::kSeriesName).arg(k + 1));
        showInLegend(int(k), std::any_of(m_samples.begin(), m_samples.end(),
                                         [k](const GraphSample& g) { return g.read[k]; }));
    }
    // The X range of the file: the X values that have a Y.
    bool any = false;
    std::int64_t lo = 0, hi = 0;
    for (const GraphSample& s : m_samples) {
        if (!(s.read[0] || s.read[1] || s.read[2])) continue;
        lo = any ? std::min(lo, s.x) : s.x;
        hi = any ? std::max(hi, s.x) : s.x;
        any = true;
    }
    m_plotLow = lo;
    m_plotHigh = any && hi > lo ? hi : lo + 1;
    clearCurves();
    m_stride = 1;
    drawFrom(0);
    updateAxes();
    updateCursor();
    return true;
}

}  // namespace zeq::desk
