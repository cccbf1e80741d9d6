"use strict";

// Firefox names the extension API "browser" and Chromium "chrome"; both return promises when
// no callback is given.
const extensionApi = typeof browser !== "undefined" ? browser : chrome;

// Must match the name in the host manifests that Numira installs.
const NUMIRA_HOST = "org.numira.quickadd";
const MENU_ITEM_ID = "numira-add-selection";
// The user's words come from _locales/ in the browser's language (English when it has none).
const say = (name, ...values) => extensionApi.i18n.getMessage(name, values);

// Hands the text to Numira's native host, which starts Numira on its add screen with the text
// as the serial number. Resolves with the host's answer; rejects when the host is missing or
// refuses the text, so a caller can report why nothing happened.
function addSelectionToNumira(text) {
    return extensionApi.runtime.sendNativeMessage(NUMIRA_HOST, { text: String(text) })
        .then((reply) => {
            if (!reply || reply.ok !== true)
                throw new Error((reply && reply.error) || say("noAnswer"));
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
        return say("helperMissing");
    if (/forbidden|does not have permission/i.test(said))
        return say("helperForbidden", said);
    if (/exited|disconnected/i.test(said))
        return say("helperEnded", said);
    return said || say("noAnswer");
}

// Shows the reason in a browser notification; resolves with the notification's id.
function notifyFailure(reason) {
    console.error(say("failureTitle") + ":", reason);
    return extensionApi.notifications.create({
        type: "basic",
        iconUrl: extensionApi.runtime.getURL("icons/icon-48.png"),
        title: say("failureTitle"),
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
            title: say("menuAddToNumira"),
            contexts: ["selection"],
        });
    });
});

extensionApi.contextMenus.onClicked.addListener((info) => {
    if (info.menuItemId !== MENU_ITEM_ID || !info.selectionText)
        return;
    onAddToNumiraClicked(info.selectionText);
});
