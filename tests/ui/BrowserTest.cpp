// Opening web addresses, observed through a URL handler in place of a browser.

#include "ui/Browser.h"

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include <gtest/gtest.h>

#include <vector>

namespace ui {
namespace {

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

// Routes the schemes used here to a recorder, so no browser is started.
class OpenInBrowserTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* scheme : {"http", "https"}) QDesktopServices::setUrlHandler(scheme, &recorder_, "open");
    }
    void TearDown() override {
        for (const char* scheme : {"http", "https"}) QDesktopServices::unsetUrlHandler(scheme);
    }
    UrlRecorder recorder_;
};

TEST_F(OpenInBrowserTest, OpensAddress) {
    EXPECT_TRUE(OpenInBrowser("https://www.example.com/help?page=1"));
    ASSERT_EQ(recorder_.opened.size(), 1u);
    EXPECT_EQ(recorder_.opened[0].toString(), "https://www.example.com/help?page=1");
}

TEST_F(OpenInBrowserTest, AddressWithoutSchemeIsWebAddress) {
    EXPECT_TRUE(OpenInBrowser("www.example.com"));
    ASSERT_EQ(recorder_.opened.size(), 1u);
    EXPECT_EQ(recorder_.opened[0].toString(), "http://www.example.com");
}

TEST_F(OpenInBrowserTest, EmptyAddressFails) {
    EXPECT_FALSE(OpenInBrowser(""));
    EXPECT_FALSE(OpenInBrowser("   "));
    EXPECT_TRUE(recorder_.opened.empty());
}

}  // namespace
}  // namespace ui

#include "BrowserTest.moc"
