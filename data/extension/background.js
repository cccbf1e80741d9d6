"use strict";

// Firefox names the extension API "browser" and Chromium "chrome"; both return promises when
// no callback is given.
const extensionApi = typeof browser !== "undefined" ? browser : chrome;

// Must match the name in the host manifests that Numira installs.
const NUMIRA_HOST = "org.numira.quickadd";
const MENU_ITEM_ID = "numira-add-selection";
const FAILURE_TITLE = "Add to Numira failed";

// Hands the text to Numira's native host, which starts Numira on its add screen with the text
// as the serial number. Resolves with the host's answer; rejects when the host is missing or
// refuses the text, so a caller can report why nothing happened.
function addSelectionToNumira(text) {
    return extensionApi.runtime.sendNativeMessage(NUMIRA_HOST, { text: String(text) })
        .then((reply) => {
            if (!reply || reply.ok !== true)
                throw new Error((reply && reply.error) || "Numira did not answer.");
            return reply;
        });
}

// The browser's own words for a host it cannot use differ between Chromium and Firefox; the
// user gets one explanation for each case. The host's refusals are already meant for the user.
function failureReason(error) {
    const said = String((error && error.message) || error || "");
    // A manifest whose helper program is gone (the package removed, a build folder deleted):
    // Firefox says only "An unexpected error occurred", Chromium that it failed to start it.
    if (/not found|no such native application|unexpected error|failed to start/i.test(said))
        return "Numira's quick-add helper is not installed for this browser. Install Numira's " +
            "package, or open Numira's About window and press OK with the quick-add option checked.";
    if (/forbidden|does not have permission/i.test(said))
        return "This browser is not allowed to use Numira's quick-add helper (" + said + ").";
    if (/exited|disconnected/i.test(said))
        return "Numira's quick-add helper ended without an answer (" + said + ").";
    return said || "Numira did not answer.";
}

// Shows the reason in a browser notification; resolves with the notification's id.
function notifyFailure(reason) {
    console.error(FAILURE_TITLE + ":", reason);
    return extensionApi.notifications.create({
        type: "basic",
        iconUrl: extensionApi.runtime.getURL("icons/icon-48.png"),
        title: FAILURE_TITLE,
        message: reason,
    });
}

// What a click on "Add to Numira" does. Resolves with null when Numira took the text, else
// with the id of the notification that told the user why not.
function onAddToNumiraClicked(selectionText) {
    return addSelectionToNumira(selectionText).then(
        () => null,
        (error) => notifyFailure(failureReason(error)));
}

// Menu items outlive the background script, so they are made once per install or update;
// an update would otherwise meet the item it made before.
extensionApi.runtime.onInstalled.addListener(() => {
    extensionApi.contextMenus.removeAll().then(() => {
        extensionApi.contextMenus.create({
            id: MENU_ITEM_ID,
            title: "Add to Numira",
            contexts: ["selection"],
        });
    });
});

extensionApi.contextMenus.onClicked.addListener((info) => {
    if (info.menuItemId !== MENU_ITEM_ID || !info.selectionText)
        return;
    onAddToNumiraClicked(info.selectionText);
});
