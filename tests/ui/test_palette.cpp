#include "palette/QVPalette.h"
#include "palette/QVPaletteDock.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <map>
#include <memory>

namespace {

constexpr int kSeparator = 0;
// The palette's buttons as the program lists them: three groups of three
// tools, then the three zoom commands.
const QList<int> kProgramList = {33901, 33902, 33903, kSeparator, 33904, 33905, 33906, kSeparator,
                                 33907, 33908, 33909, kSeparator, 33910, 33911, 33912};
const QList<int> kToolIds = {33901, 33902, 33903, 33904, 33905, 33906,
                             33907, 33908, 33909, 33910, 33911, 33912};
// List indices of the separators in kProgramList.
const QList<int> kSeparatorIndices = {3, 7, 11};
// Not on the program's list; used as a button that is hidden.
constexpr int kExtraId = 33913;
const QString kTitle = QStringLiteral("ToolBar");

// The top-left corners of four rows of three buttons.
QList<QPoint> Grid(const QList<int>& xs, const QList<int>& ys)
{
    QList<QPoint> points;
    for (int y : ys)
        for (int x : xs)
            points.append(QPoint(x, y));
    return points;
}

QList<QRect> SeparatorRows(int left, int width, const QList<int>& ys)
{
    QList<QRect> rects;
    for (int y : ys)
        rects.append(QRect(left, y, width, QVPalette::kSeparatorSize.height()));
    return rects;
}

QList<int> CheckedIds(const QVPalette& palette)
{
    QList<int> ids;
    for (int id : kToolIds)
        if (palette.ButtonForCommand(id)->isChecked()) ids.append(id);
    return ids;
}

} // namespace

class TestPalette : public QObject
{
    Q_OBJECT

private:
    QAction* Action(int id)
    {
        auto& action = m_actions[id];
        if (!action) {
            action = std::make_unique<QAction>(QStringLiteral("Tool %1").arg(id));
            action->setData(id);
            QPixmap pixmap(QVPalette::kIconSize);
            pixmap.fill(QColor::fromHsv((id * 37) % 360, 200, 200));
            action->setIcon(QIcon(pixmap));
        }
        return action.get();
    }

    std::unique_ptr<QVPalette> MakePalette(const QList<int>& ids, const QString& title = kTitle)
    {
        QList<QAction*> actions;
        for (int id : ids)
            actions.append(id == kSeparator ? nullptr : Action(id));
        auto palette = std::make_unique<QVPalette>();
        palette->setWindowTitle(title);
        palette->SetActions(actions);
        return palette;
    }

    std::map<int, std::unique_ptr<QAction>> m_actions;

private slots:
    void freshPalette()
    {
        QVPalette palette;
        QCOMPARE(palette.GetColumns(), 2);
        QCOMPARE(palette.GetCheckedIndex(), -1);
        QCOMPARE(palette.GetWidthToggle(), false);
        QCOMPARE(palette.GetCaptionHeight(), 23);
        QCOMPARE(palette.GetCaptionFont().pointSize(), 10);
        QCOMPARE(palette.GetCaptionFont().weight(), QFont::Black);
        QCOMPARE(palette.GetCaptionFont().family(), QStringLiteral("Trebuchet MS"));
        QCOMPARE(palette.GetCaptionFont().styleHint(), QFont::SansSerif);
        // Nothing to lay out: no size at all, not even the title strip.
        QCOMPARE(palette.CalcSize(), QSize(0, 0));
        QCOMPARE(palette.GetPaletteFlags(), 0);
        palette.setWindowTitle(kTitle);
        QCOMPARE(palette.GetPaletteFlags(), QVPalette::kFlagTitle);
        palette.SetDocked(true);
        QCOMPARE(palette.GetPaletteFlags(), QVPalette::kFlagTitle | QVPalette::kFlagDocked);
    }

    void buttonsFollowTheirActions()
    {
        const auto palette = MakePalette(kProgramList);
        QCOMPARE(palette->GetItemCount(), kProgramList.size());
        for (int index : kSeparatorIndices) {
            QVERIFY(palette->GetItemWidget(index));
            QVERIFY(!qobject_cast<QToolButton*>(palette->GetItemWidget(index)));
        }
        for (int id : kToolIds) {
            const int index = palette->CommandToIndex(id);
            QCOMPARE(index, kProgramList.indexOf(id));
            QToolButton* button = palette->ButtonForCommand(id);
            QVERIFY(button);
            QCOMPARE(palette->GetItemWidget(index), button);
            QCOMPARE(button->size(), QSize(35, 35));
            QCOMPARE(button->iconSize(), QSize(32, 32));
            QVERIFY(button->autoRaise());
            QCOMPARE(button->toolTip(), Action(id)->toolTip());
            QCOMPARE(button->icon().cacheKey(), Action(id)->icon().cacheKey());
            QVERIFY(button->isEnabled());
        }
        // Separators carry no command.
        QCOMPARE(palette->CommandToIndex(kSeparator), -1);
        QCOMPARE(palette->ButtonForCommand(12345), nullptr);
        QCOMPARE(palette->GetItemWidget(kProgramList.size()), nullptr);

        // A new text reaches the tooltip; the action's enabled state does not.
        QAction* action = Action(33904);
        action->setToolTip(QStringLiteral("Stretch a region"));
        action->setEnabled(false);
        QCOMPARE(palette->ButtonForCommand(33904)->toolTip(), QStringLiteral("Stretch a region"));
        QVERIFY(palette->IsButtonEnabled(33904));
        action->setEnabled(true);
        action->setToolTip(QString());
    }

    // Without a docked frame the rows start 1 pixel from the left and, below a
    // title, 23 + 4 pixels from the top; every row is centred in the row width
    // max(35 * columns * 11 / 10, widest row). SetColumns flips the width
    // toggle, so those rows are one pixel wider than the row width.
    void layout_data()
    {
        QTest::addColumn<int>("columns"); // 0: leave the initial two
        QTest::addColumn<bool>("docked");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<QPoint>>("tools");
        QTest::addColumn<QList<QRect>>("separators");

        // Row width 115; three 35-pixel buttons (105) start at 1 + 10 / 2.
        QTest::newRow("3 columns")
            << 3 << false << kTitle << QSize(115 + 1, 27 + 4 * 35 + 3 * 8)
            << Grid({6, 41, 76}, {27, 70, 113, 156}) << SeparatorRows(1, 115, {62, 105, 148});
        // Row width 38: two buttons (70) never fit, so each tool has its row.
        QTest::newRow("1 column") << 1 << false << kTitle << QSize(38 + 1, 27 + 12 * 35 + 3 * 8)
                                  << QList<QPoint>{{2, 27},  {2, 62},  {2, 97},  {2, 140},
                                                   {2, 175}, {2, 210}, {2, 253}, {2, 288},
                                                   {2, 323}, {2, 366}, {2, 401}, {2, 436}}
                                  << SeparatorRows(1, 38, {132, 245, 358});
        // Row width 77: pairs (70) start at 1 + 7 / 2, the third tool of each
        // group alone at 1 + 42 / 2.
        QTest::newRow("2 columns, initial")
            << 0 << false << kTitle << QSize(77, 27 + 8 * 35 + 3 * 8)
            << QList<QPoint>{{4, 27},  {39, 27},  {22, 62},  {4, 105}, {39, 105}, {22, 140},
                             {4, 183}, {39, 183}, {22, 218}, {4, 261}, {39, 261}, {22, 296}}
            << SeparatorRows(1, 77, {97, 175, 253});
        // Row width 154, but the separators still break the rows after three
        // tools: 1 + 49 / 2.
        QTest::newRow("4 columns")
            << 4 << false << kTitle << QSize(154 + 1, 27 + 4 * 35 + 3 * 8)
            << Grid({25, 60, 95}, {27, 70, 113, 156}) << SeparatorRows(1, 154, {62, 105, 148});
        // The frame's corners: rows start at 5 + 3 from the left and 10 lower,
        // and the size grows by 5 + 5 and 10 + 4.
        QTest::newRow("3 columns, docked")
            << 3 << true << kTitle << QSize(115 + 1 + 10, 27 + 4 * 35 + 3 * 8 + 14)
            << Grid({13, 48, 83}, {37, 80, 123, 166}) << SeparatorRows(8, 115, {72, 115, 158});
        // Without a title the rows move up, but the strip's height still counts.
        QTest::newRow("3 columns, untitled")
            << 3 << false << QString() << QSize(115 + 1, 27 + 4 * 35 + 3 * 8)
            << Grid({6, 41, 76}, {0, 43, 86, 129}) << SeparatorRows(1, 115, {35, 78, 121});
    }

    void layout()
    {
        QFETCH(int, columns);
        QFETCH(bool, docked);
        QFETCH(QString, title);
        QFETCH(QSize, size);
        QFETCH(QList<QPoint>, tools);
        QFETCH(QList<QRect>, separators);

        const auto palette = MakePalette(kProgramList, title);
        if (columns) palette->SetColumns(columns);
        palette->SetDocked(docked);

        QCOMPARE(palette->CalcSize(), size);
        QCOMPARE(palette->sizeHint(), size);
        QCOMPARE(palette->minimumSizeHint(), size);
        for (qsizetype i = 0; i < kToolIds.size(); ++i)
            QCOMPARE(palette->ButtonForCommand(kToolIds[i])->geometry(),
                     QRect(tools[i], QVPalette::kButtonSize));
        for (qsizetype i = 0; i < kSeparatorIndices.size(); ++i)
            QCOMPARE(palette->GetItemWidget(kSeparatorIndices[i])->geometry(), separators[i]);

        // Resizing the palette keeps every button where it is.
        palette->resize(size + QSize(20, 30));
        QCOMPARE(palette->ButtonForCommand(kToolIds.first())->pos(), tools.first());
        QCOMPARE(palette->ButtonForCommand(kToolIds.last())->pos(), tools.last());
    }

    // Separators that would make an empty row are passed over, as are hidden
    // buttons (which do not count as a break between two separators).
    void surplusSeparators_data()
    {
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<int>("hiddenId");

        QTest::newRow("leading separator") << (QList<int>{kSeparator} + kProgramList) << 0;
        QList<int> doubled = kProgramList;
        doubled.insert(kSeparatorIndices[1], kSeparator);
        QTest::newRow("two in a row") << doubled << 0;
        QList<int> hiddenBetween = kProgramList;
        hiddenBetween.insert(kSeparatorIndices[0] + 1, kSeparator);
        hiddenBetween.insert(kSeparatorIndices[0] + 1, kExtraId);
        QTest::newRow("hidden button between two") << hiddenBetween << kExtraId;
        QList<int> hiddenFirst = QList<int>{kExtraId, kSeparator} + kProgramList;
        QTest::newRow("hidden button, then separator first") << hiddenFirst << kExtraId;
        QTest::newRow("trailing separator") << (kProgramList + QList<int>{kSeparator}) << 0;
    }

    void surplusSeparators()
    {
        QFETCH(QList<int>, ids);
        QFETCH(int, hiddenId);

        const auto reference = MakePalette(kProgramList);
        reference->SetColumns(3);
        const auto palette = MakePalette(ids);
        palette->SetButtonVisible(hiddenId, false);
        palette->SetColumns(3);

        QCOMPARE(palette->CalcSize(), reference->CalcSize());
        for (int id : kToolIds)
            QCOMPARE(palette->ButtonForCommand(id)->geometry(),
                     reference->ButtonForCommand(id)->geometry());
        // The surplus separators take up no room anywhere.
        QList<QRect> expected;
        for (int index : kSeparatorIndices)
            expected.append(reference->GetItemWidget(index)->geometry());
        QList<QRect> actual;
        for (int i = 0; i < palette->GetItemCount(); ++i)
            if (ids[i] == kSeparator && !palette->GetItemWidget(i)->geometry().isEmpty())
                actual.append(palette->GetItemWidget(i)->geometry());
        QCOMPARE(actual, expected);
    }

    // The middle tool of the second group changes, in 3 columns (row width 115).
    void oddButtons_data()
    {
        QTest::addColumn<QSize>("buttonSize"); // invalid: the button is hidden
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<QRect>>("rects"); // 33904, 33905 (unless hidden), 33906, 33907

        // Two buttons (70) centred at 1 + 45 / 2; the rows below stay put.
        QTest::newRow("hidden") << QSize() << QSize(116, 191)
                                << QList<QRect>{
                                       {23, 70, 35, 35}, {58, 70, 35, 35}, {6, 113, 35, 35}};
        // 35 + 45 + 35 fills the 115 exactly: the 10% slack lets it stay.
        QTest::newRow("slightly wider")
            << QSize(45, 35) << QSize(116, 191)
            << QList<QRect>{{1, 70, 35, 35}, {36, 70, 45, 35}, {81, 70, 35, 35}, {6, 113, 35, 35}};
        // Wider than 115: a row of its own at the left, each neighbour alone
        // in its row; the row width becomes 150 and every row re-centres.
        QTest::newRow("wider than a row")
            << QSize(150, 35) << QSize(150 + 1, 27 + 6 * 35 + 3 * 8)
            << QList<QRect>{
                   {58, 70, 35, 35}, {1, 105, 150, 35}, {58, 140, 35, 35}, {23, 183, 35, 35}};
        // The row is as tall as its tallest button; the others centre in it.
        QTest::newRow("taller") << QSize(35, 45) << QSize(116, 201)
                                << QList<QRect>{{6, 75, 35, 35},
                                                {41, 70, 35, 45},
                                                {76, 75, 35, 35},
                                                {6, 123, 35, 35}};
    }

    void oddButtons()
    {
        QFETCH(QSize, buttonSize);
        QFETCH(QSize, size);
        QFETCH(QList<QRect>, rects);

        const auto palette = MakePalette(kProgramList);
        palette->SetColumns(3);
        if (buttonSize.isValid()) {
            palette->ButtonForCommand(33905)->setFixedSize(buttonSize);
            palette->AdjustLocations();
        } else {
            palette->SetButtonVisible(33905, false);
            QVERIFY(palette->ButtonForCommand(33905)->isHidden());
        }

        QCOMPARE(palette->CalcSize(), size);
        QList<int> ids = {33904, 33905, 33906, 33907};
        if (!buttonSize.isValid()) ids.removeOne(33905);
        for (qsizetype i = 0; i < ids.size(); ++i)
            QCOMPARE(palette->ButtonForCommand(ids[i])->geometry(), rects[i]);

        if (!buttonSize.isValid()) {
            palette->SetButtonVisible(33905, true);
            QCOMPARE(palette->ButtonForCommand(33905)->geometry(), QRect(41, 70, 35, 35));
        }
    }

    // Starting from 3 columns, where the main window puts the palette (the
    // width toggle is then set: 2 -> 3 was one change).
    void setColumns_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("toggle");
        QTest::addColumn<int>("announced");
        QTest::addColumn<int>("width");

        QTest::newRow("zero") << 0 << 3 << true << 0 << 116;
        QTest::newRow("negative") << -2 << 3 << true << 0 << 116;
        QTest::newRow("current") << 3 << 3 << true << 0 << 116;
        QTest::newRow("four") << 4 << 4 << false << 1 << 154;
        QTest::newRow("one") << 1 << 1 << false << 1 << 38;
    }

    void setColumns()
    {
        QFETCH(int, n);
        QFETCH(int, columns);
        QFETCH(bool, toggle);
        QFETCH(int, announced);
        QFETCH(int, width);

        const auto palette = MakePalette(kProgramList);
        palette->SetColumns(3);
        QCOMPARE(palette->GetWidthToggle(), true);
        QSignalSpy spy(palette.get(), &QVPalette::sizeChanged);

        palette->SetColumns(n);
        QCOMPARE(palette->GetColumns(), columns);
        QCOMPARE(palette->GetWidthToggle(), toggle);
        QCOMPARE(spy.count(), announced);
        QCOMPARE(palette->CalcSize().width(), width);

        // A further change flips the toggle back.
        palette->SetColumns(2);
        QCOMPARE(palette->GetWidthToggle(), !toggle);
        QCOMPARE(palette->CalcSize().width(), 77 + (toggle ? 0 : 1));
    }

    void onlyTheSelectedToolIsPressed()
    {
        const auto palette = MakePalette(kProgramList);
        palette->SetColumns(3);
        palette->show();
        QVERIFY(QTest::qWaitForWindowExposed(palette.get()));
        QCOMPARE(CheckedIds(*palette), QList<int>());

        palette->SelectTool(33903);
        QCOMPARE(palette->GetCheckedIndex(), 2);
        QCOMPARE(CheckedIds(*palette), QList<int>{33903});

        palette->SelectTool(33907);
        QCOMPARE(palette->GetCheckedIndex(), 8);
        QCOMPARE(CheckedIds(*palette), QList<int>{33907});

        // Not on the palette (a separator has no command either).
        palette->SelectTool(12345);
        palette->SelectTool(kSeparator);
        QCOMPARE(palette->GetCheckedIndex(), 8);
        QCOMPARE(CheckedIds(*palette), QList<int>{33907});

        // Whatever code does to the buttons or their actions, the pressed
        // state stays where SelectTool put it.
        palette->ButtonForCommand(33901)->setChecked(true);
        palette->ButtonForCommand(33907)->setChecked(false);
        palette->ButtonForCommand(33912)->toggle();
        Action(33905)->setCheckable(true);
        Action(33905)->setChecked(true);
        palette->SetButtonEnabled(33907, false);
        QCOMPARE(CheckedIds(*palette), QList<int>{33907});
        Action(33905)->setCheckable(false);

        // A click reports the command but presses nothing by itself.
        palette->SetButtonEnabled(33907, true);
        QTest::mouseClick(palette->ButtonForCommand(33902), Qt::LeftButton);
        QTest::mouseClick(palette->ButtonForCommand(33907), Qt::LeftButton);
        QCOMPARE(CheckedIds(*palette), QList<int>{33907});
    }

    void clicks_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("actionEnabled");
        QTest::addColumn<bool>("buttonEnabled");
        QTest::addColumn<bool>("emitted");

        QTest::newRow("tool") << 33901 << true << true << true;
        QTest::newRow("zoom") << 33912 << true << true << true;
        QTest::newRow("disabled button") << 33902 << true << false << false;
        // The palette does not follow the action's state; the main window
        // decides through SetButtonEnabled.
        QTest::newRow("disabled action, enabled button") << 33908 << false << true << true;
    }

    void clicks()
    {
        QFETCH(int, id);
        QFETCH(bool, actionEnabled);
        QFETCH(bool, buttonEnabled);
        QFETCH(bool, emitted);

        const auto palette = MakePalette(kProgramList);
        palette->SetColumns(3);
        palette->show();
        QVERIFY(QTest::qWaitForWindowExposed(palette.get()));
        Action(id)->setEnabled(actionEnabled);
        palette->SetButtonEnabled(id, buttonEnabled);
        QCOMPARE(palette->IsButtonEnabled(id), buttonEnabled);
        QSignalSpy spy(palette.get(), &QVPalette::commandTriggered);

        QTest::mouseClick(palette->ButtonForCommand(id), Qt::LeftButton);
        Action(id)->setEnabled(true);

        QCOMPARE(spy.count(), emitted ? 1 : 0);
        if (emitted) QCOMPARE(spy.first().first().toInt(), id);
    }

    // Pixels of the 116 x 191 palette in 3 columns. The title strip covers
    // rows 1 to 23 across the full width; the rows of buttons start at y = 27
    // and x = 6, so the left margin (x < 6) and the gap rows 24 to 26 show the
    // background.
    void painting()
    {
        const auto palette = MakePalette(kProgramList);
        palette->SetColumns(3);
        palette->show();
        QVERIFY(QTest::qWaitForWindowExposed(palette.get()));
        QCOMPARE(palette->size(), QSize(116, 191));

        QImage image = palette->grab().toImage();
        const QRgb background = qRgb(237, 237, 237);
        QCOMPARE(image.pixel(0, 0), background);
        QCOMPARE(image.pixel(58, 25), background);
        QCOMPARE(image.pixel(3, 40), background);
        QCOMPARE(image.pixel(113, 185), background);

        // At 305 degrees the gradient runs from the top-left corner (0, 1) to
        // the bottom-right one (115, 23): those two pixels sit within a pixel's
        // step of the end colours, red 255 and red 112 (143 levels over 85
        // pixels of gradient length, so 4 levels is room for rounding only).
        // The other diagonal tells 305 from its mirror image 55: the
        // bottom-left is the redder of the two. The title text, centred, stays
        // clear of all four corners.
        const auto nearRed = [](QRgb pixel, int red) {
            return qAbs(qRed(pixel) - red) <= 4 && qGreen(pixel) == 0 && qBlue(pixel) == 0;
        };
        QVERIFY2(nearRed(image.pixel(0, 1), 255),
                 qPrintable(QString::number(image.pixel(0, 1), 16)));
        QVERIFY2(nearRed(image.pixel(115, 23), 112),
                 qPrintable(QString::number(image.pixel(115, 23), 16)));
        QVERIFY(qRed(image.pixel(0, 23)) > qRed(image.pixel(115, 1)) + 40);
        // The title itself is white somewhere in the middle of the strip.
        bool white = false;
        for (int x = 30; x < 86 && !white; ++x)
            for (int y = 3; y < 22 && !white; ++y)
                white = image.pixel(x, y) == qRgb(255, 255, 255);
        QVERIFY(white);

        // No title: no strip, the rows move up to y = 0 (left margin stays).
        palette->setWindowTitle(QString());
        image = palette->grab().toImage();
        for (const QPoint point : {QPoint(0, 1), QPoint(3, 20), QPoint(113, 12), QPoint(115, 23)})
            QCOMPARE(image.pixel(point), background);
        QCOMPARE(palette->ButtonForCommand(33901)->pos(), QPoint(6, 0));
    }

    void shadowFollowsItsOwner_data()
    {
        // What happens to the floating palette, one step after another:
        // m move, c another column count (a new size), h hide, s show,
        // d dock, f float again.
        QTest::addColumn<QString>("steps");
        QTest::newRow("moved and resized") << "mcmc";
        QTest::newRow("hidden and shown") << "hsmhms";
        QTest::newRow("docked and floated") << "dmfm";
        QTest::newRow("hidden while docked") << "dhfs";
    }

    // The shadow sits around the floating frame, 2 pixels out on three sides
    // and 4 below, wherever it goes and whatever its size; it goes with it,
    // and a docked palette casts none. It never takes the mouse.
    void shadowFollowsItsOwner()
    {
        QFETCH(QString, steps);
        QMainWindow window;
        window.resize(800, 600);
        auto* dock = new QVPaletteDock(&window);
        window.addDockWidget(Qt::LeftDockWidgetArea, dock);
        QList<QAction*> actions;
        for (int id : kProgramList)
            actions.append(id == kSeparator ? nullptr : Action(id));
        dock->GetPalette()->setWindowTitle(kTitle);
        dock->GetPalette()->SetActions(actions);
        dock->GetPalette()->SetColumns(3);
        window.show();
        dock->setFloating(true);
        dock->show();
        QVERIFY(QTest::qWaitForWindowExposed(dock));
        const QVShadowWnd& shadow = dock->m_wndShadow;
        QVERIFY(shadow.testAttribute(Qt::WA_TransparentForMouseEvents));
        QVERIFY(shadow.windowFlags().testFlag(Qt::WindowTransparentForInput));
        QCOMPARE(shadow.m_rcMargins, QMargins(2, 2, 2, 4));

        QPoint place(120, 90);
        for (qsizetype i = 0; i < steps.size(); ++i) {
            const QSize before = dock->size();
            switch (steps[i].toLatin1()) {
            case 'm':
                place += QPoint(37, 23);
                dock->move(place);
                break;
            case 'c':
                dock->OnColumnButton();
                QCoreApplication::processEvents();
                QVERIFY(dock->size() != before);
                break;
            case 'h': dock->hide(); break;
            case 's': dock->show(); break;
            case 'd': dock->setFloating(false); break;
            case 'f':
                dock->setFloating(true);
                dock->move(place);
                break;
            default: QFAIL("no such step");
            }
            QCoreApplication::processEvents();
            const QString after = steps.left(i + 1);
            const bool casts = dock->isVisible() && dock->isFloating();
            QVERIFY2(shadow.isVisible() == casts, qPrintable(after));
            if (casts)
                QVERIFY2(shadow.geometry() == dock->frameGeometry().marginsAdded(QMargins(2, 2, 2, 4)),
                         qPrintable(after));
        }
    }

    void dockSizesItselfAndTellsThePaletteWhereItIs()
    {
        QMainWindow window;
        auto* dock = new QVPaletteDock(&window);
        QVPalette* palette = dock->GetPalette();
        QVERIFY(dock->isFloating());
        QVERIFY(!palette->IsDocked());
        QCOMPARE(dock->allowedAreas(), Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
        QCOMPARE(dock->features(),
                 QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);

        QList<QAction*> actions;
        for (int id : kProgramList)
            actions.append(id == kSeparator ? nullptr : Action(id));
        palette->setWindowTitle(kTitle);
        palette->SetActions(actions);
        palette->SetColumns(3);
        dock->show();
        QVERIFY(QTest::qWaitForWindowExposed(dock));
        for (int columns : {4, 1, 3}) {
            palette->SetColumns(columns);
            QCoreApplication::processEvents();
            QCOMPARE(palette->size(), palette->CalcSize());
        }

        window.addDockWidget(Qt::LeftDockWidgetArea, dock);
        dock->setFloating(false);
        QVERIFY(palette->IsDocked());
        dock->setFloating(true);
        QVERIFY(!palette->IsDocked());
    }
};

QTEST_MAIN(TestPalette)
#include "test_palette.moc"
