#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "app/memory_model.h"
#include "machine/machine.h"
#include "support/fake_host.h"

namespace korvanta::app::testing {
namespace {

class MemoryModelTest : public ::testing::Test {
protected:
    korvanta::testing::FakeHost host;
    Machine machine{host};
};

TEST_F(MemoryModelTest, FollowsRebuildsAndWritesRowByRow)
{
    MemoryModel model(machine.window);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    machine.memory.SetupTheMemoryWindow("0");
    EXPECT_EQ(model.rowCount(), 4096);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(inserted.count(), 4096);
    EXPECT_EQ(removed.count(), 0) << "nothing to remove from an empty window";
    EXPECT_EQ(model.data(model.index(2623, 0)).toString(), "0A3F");

    machine.memory.EnterintoMEMory(5, "3E");
    ASSERT_EQ(changed.count(), 1);
    const auto args = changed.takeFirst();
    EXPECT_EQ(args[0].toModelIndex(), model.index(4, 1));
    EXPECT_EQ(args[1].toModelIndex(), model.index(4, 1));
    EXPECT_EQ(model.data(model.index(4, 1)).toString(), "3E");
    EXPECT_EQ(model.data(model.index(4, 0)).toString(), "0004");

    machine.memory.SetupTheMemoryWindow("7");
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 0);
    EXPECT_EQ(removed[0][2].toInt(), 4095);
    EXPECT_EQ(model.rowCount(), 4096);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "7000");
    EXPECT_EQ(model.data(model.index(4, 1)).toString(), "00");
    EXPECT_FALSE(model.data(model.index(4096, 0)).isValid());
    EXPECT_TRUE(changed.isEmpty());
}

// The tester walks the whole model after every change, so it watches a
// window being cleared and refilled by hand with a few rows.
TEST_F(MemoryModelTest, PassesTheItemModelTester)
{
    machine.memory.SetupTheMemoryWindow("0");
    MemoryModel model(machine.window);
    int failures = 0;
    {
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
        auto previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
            if (type != QtDebugMsg) ADD_FAILURE() << msg.toStdString();
        });
        machine.memory.EnterintoMEMory(4096, "76");
        machine.window.removeAllRows();
        for (const char* address : {"5000", "5001", "5002"}) machine.window.appendRow(address, "00");
        machine.window.replaceRow(2, "C3");
        qInstallMessageHandler(previous);
        failures = ::testing::Test::HasFailure();
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), "C3");
    EXPECT_EQ(model.data(model.index(2, 0)).toString(), "5002");
}

TEST_F(MemoryModelTest, ModelLeftBehindStopsListening)
{
    {
        MemoryModel model(machine.window);
    }
    machine.memory.SetupTheMemoryWindow("0");  // must not reach the destroyed model
    EXPECT_EQ(machine.window.rowCount(), 4096);
}

}  // namespace
}  // namespace korvanta::app::testing
