#include <gtest/gtest.h>

#include "integration/platform/GtkTestEnvironment.h"
#include "platform/linux/GtkAlerts.h"
#include "platform/linux/GtkApplicationPort.h"
#include "platform/linux/GtkContainerView.h"
#include "platform/linux/GtkViewFactory.h"

namespace pellora {
namespace {

std::string accessibleName(const View& view) {
    return atk_object_get_name(gtk_widget_get_accessible(GtkView::of(view).widget()));
}

class GtkViewsTest : public ::testing::Test {
protected:
    void SetUp() override { PELLORA_REQUIRE_DISPLAY(); }
    GtkViewFactory factory_;
};

TEST_F(GtkViewsTest, ParentsKeepChildrenAliveUntilTheyAreRemoved) {
    auto container = factory_.makeContainer(Color::white(0.98));
    std::weak_ptr<View> weakLabel;
    {
        auto label = factory_.makeLabel("Pellora", LabelStyle{});
        weakLabel = label;
        auto stack = factory_.makeVerticalStack(StackLayout{});
        stack->addArrangedSubview(label);
        container->addSubview(stack);
        // A stack stays centred in the container it fills.
        EXPECT_EQ(gtk_widget_get_valign(GtkView::of(*stack).widget()), GTK_ALIGN_CENTER);
        EXPECT_EQ(gtk_widget_get_halign(GtkView::of(*stack).widget()), GTK_ALIGN_CENTER);
    }
    ASSERT_FALSE(weakLabel.expired());
    auto spinner = factory_.makeSpinner(24);
    container->addSubview(spinner);
    GtkWidget* overlay = GtkView::of(*container).widget();
    EXPECT_EQ(gtk_widget_get_parent(GtkView::of(*spinner).widget()), overlay);

    spinner->removeFromSuperview();
    EXPECT_EQ(gtk_widget_get_parent(GtkView::of(*spinner).widget()), nullptr);
    spinner->removeFromSuperview();  // without a parent: ignored

    container->removeAllSubviews();
    EXPECT_TRUE(weakLabel.expired());
}

TEST_F(GtkViewsTest, HiddenViewsStayHiddenWhenTheirWindowIsShown) {
    GtkApplicationPort application("com.pellora.test.views");
    auto window = application.createWindow(WindowOptions{});
    auto button = factory_.makeButton("Retry", ButtonStyle{});
    button->setHidden(true);
    window->contentView().addSubview(button);
    window->makeKeyAndOrderFrontRegardless();
    EXPECT_TRUE(button->isHidden());
    EXPECT_FALSE(gtk_widget_get_visible(GtkView::of(*button).widget()));
    button->setHidden(false);
    EXPECT_TRUE(gtk_widget_get_visible(GtkView::of(*button).widget()));
    window->close();
}

TEST_F(GtkViewsTest, ButtonsRunTheirCurrentActionAndCarryAccessibleNames) {
    auto button = factory_.makeButton("This Mac \u25be", ButtonStyle{{12}, ButtonBezel::roundRectOnHover, 0, {210, 24}});
    EXPECT_EQ(accessibleName(*button), "This Mac \u25be");
    button->setAccessibilityLabel("Engine connections");
    button->setTitle("Work \u25be");
    EXPECT_EQ(button->title(), "Work \u25be");
    EXPECT_EQ(button->accessibilityLabel(), "Engine connections");
    EXPECT_EQ(accessibleName(*button), "Engine connections");
    EXPECT_EQ(gtk_button_get_relief(GTK_BUTTON(GtkView::of(*button).widget())), GTK_RELIEF_NONE);

    std::vector<std::string> clicks;
    button->setAction([&] {
        clicks.push_back("first");
        button->setAction([&] { clicks.push_back("second"); });  // replaced while running
    });
    gtk_button_clicked(GTK_BUTTON(GtkView::of(*button).widget()));
    gtk_button_clicked(GTK_BUTTON(GtkView::of(*button).widget()));
    EXPECT_EQ(clicks, (std::vector<std::string>{"first", "second"}));
    button->setEnabled(false);
    EXPECT_FALSE(button->isEnabled());

    auto label = factory_.makeLabel("Reconnecting", LabelStyle{{24, FontWeight::semibold}, true, true, true});
    label->setText("Temporarily unable to connect to Pellora");
    EXPECT_EQ(label->text(), "Temporarily unable to connect to Pellora");
    EXPECT_EQ(accessibleName(*label), "Temporarily unable to connect to Pellora");
}

TEST_F(GtkViewsTest, SymbolImagesFallBackToAnEmptyImage) {
    auto unknown = factory_.makeSymbolImage("no.such.symbol", 24);
    EXPECT_EQ(gtk_image_get_storage_type(GTK_IMAGE(GtkView::of(*unknown).widget())), GTK_IMAGE_EMPTY);
    auto known = factory_.makeSymbolImage("wifi.slash", 24);
    const bool themed = gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), "network-offline-symbolic");
    EXPECT_EQ(gtk_image_get_storage_type(GTK_IMAGE(GtkView::of(*known).widget())),
              themed ? GTK_IMAGE_ICON_NAME : GTK_IMAGE_EMPTY);
}

TEST_F(GtkViewsTest, AlertButtonsMapToIndexesAndDismissalToTheLastButton) {
    const AlertSpec alert{"Quit Pellora?", "Work is running.", {"Quit", "Cancel"}};
    EXPECT_EQ(GtkAlerts::buttonIndex(0, alert), 0);
    EXPECT_EQ(GtkAlerts::buttonIndex(1, alert), 1);
    EXPECT_EQ(GtkAlerts::buttonIndex(GTK_RESPONSE_DELETE_EVENT, alert), 1);
    EXPECT_EQ(GtkAlerts::buttonIndex(GTK_RESPONSE_DELETE_EVENT, AlertSpec{"Failed", "", {}}), 0);
}

}  // namespace
}  // namespace pellora
