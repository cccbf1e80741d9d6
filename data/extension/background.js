"use strict";

// Firefox names the extension API "browser" and Chromium "chrome"; both return promises when
// no callback is given.
const extensionApi = typeof browser !== "undefined" ? browser : chrome;

// Must match the name in the host manifests that Numira installs.
const NUMIRA_HOST = "org.numira.quickadd";
const MENU_ITEM_ID = "numira-add-selection";

// Hands the text to Numira's native host, which starts Numira on its add screen with the text
// as the serial number. Resolves with the host's answer; rejects when the host is missing or
// refuses the text, so a caller can report why nothing happened.
function addSelectionToNumira(text) {
    return extensionApi.runtime.sendNativeMessage(NUMIRA_HOST, { text: String(text) })
        .then((reply) => {
            if (!reply || reply.ok !== true)
                throw new Error((reply && reply.error) || "Numira did not answer");
            return reply;
        });
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
    addSelectionToNumira(info.selectionText).catch((error) => {
        console.error("Add to Numira failed:", error.message);
    });
});
