#include "SmallDisk.h"

#include <QCoreApplication>
#include <QProcess>

#include <cstdio>

namespace {

constexpr const char* kInMountNamespace = "BRINDLE_TEST_IN_MOUNT_NAMESPACE";

bool UnshareWorks() {
    QProcess probe;
    probe.start("unshare", {"-rm", "true"});
    return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit &&
           probe.exitCode() == 0;
}

} // namespace

ChildVerdict RerunCurrentTestWithMountRights() {
    if (qEnvironmentVariableIsSet(kInMountNamespace) || !UnshareWorks())
        return ChildVerdict::Unavailable;
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    const QString name = QString("%1.%2").arg(test->test_suite_name(), test->name());

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kInMountNamespace, "1");
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start("unshare",
                {"-rm", "--", QCoreApplication::applicationFilePath(), "--gtest_filter=" + name});
    if (!child.waitForFinished(240000)) {
        child.kill();
        child.waitForFinished();
        return ChildVerdict::Failed;
    }
    const QByteArray output = child.readAll();
    std::fwrite(output.constData(), 1, size_t(output.size()), stdout);
    // A child that could not mount either skips, and that is no pass.
    const bool passed = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 &&
                        output.contains("[  PASSED  ] 1 test.");
    return passed ? ChildVerdict::Passed : ChildVerdict::Failed;
}
