// Times a full row rebuild and sorts of the virtual list view with 100,000
// rows, once bound to an offscreen QTreeView and once without a control.
#include "foundation/gui/vlistview.h"
#include "vlist/test_rows.h"

#include <QApplication>
#include <QTreeView>

#include <chrono>
#include <cstdio>
#include <random>

using kelvo::TVlistView;
using kelvo::test::TTestData;

namespace {

template <class F> double Millis(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

void Run(const char* title, TVlistView& list, TTestData& data) {
    const double attach = Millis([&] { list.SetData(&data); });
    const double rebuild = Millis([&] {
        list.SetRowsStale();
        list.Invalidate();
    });
    const double sortOther = Millis([&] { list.SortByColumn(1); });
    const double sortKey = Millis([&] { list.SortByColumn(0); });
    const double reverse = Millis([&] { list.SortByColumn(0); });
    std::printf("%-22s attach %8.2f ms  rebuild %8.2f ms  sort(equal keys) %8.2f ms  "
                "sort(keys) %8.2f ms  reverse %8.2f ms  rows %d\n",
                title, attach, rebuild, sortOther, sortKey, reverse, list.GetRowCount());
    list.SetData(nullptr);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    constexpr int Rows = 100000;
    TTestData data;
    std::mt19937 random(12345);
    for (int i = 0; i < Rows; ++i) {
        const int key = static_cast<int>(random() % 50000);
        data.Add(key, {"Parameter " + std::to_string(key), std::to_string(i)});
    }

    {
        TVlistView list;
        Run("without a control", list, data);
    }
    {
        QTreeView view;
        view.resize(600, 400);
        TVlistView list(&view);
        list.SetColumns({{"Key", 200, Qt::AlignLeft}, {"Value", 160, Qt::AlignRight}});
        Run("bound to a QTreeView", list, data);
    }
    return 0;
}
