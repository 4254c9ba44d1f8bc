"use strict";

// Every chat text goes in as text (textContent, attributes), never as markup.
(function () {
    const base = location.pathname.replace(/\/+$/, "");
    const imagePrefix = base + "/image/";
    const list = document.getElementById("messages");
    const shown = new Map();
    const maxShown = 100;
    const imageRetries = 5;
    let options = { fontScale: 1, messageLifetime: 0, hideBadges: false };

    function element(tag, className, text) {
        const node = document.createElement(tag);
        if (className)
            node.className = className;
        if (text !== undefined)
            node.textContent = text;
        return node;
    }

    // Only Parley's own images: an address from elsewhere is left out.
    function image(className, url, title) {
        if (typeof url !== "string" || !url.startsWith(imagePrefix))
            return null;
        const img = element("img", className);
        img.alt = title;
        img.title = title;
        let tries = 0;
        // An image the session is still loading is asked for again shortly.
        img.addEventListener("error", () => {
            if (++tries <= imageRetries)
                setTimeout(() => { img.src = url + "?try=" + tries; }, 1000 * tries);
        });
        img.src = url;
        return img;
    }

    function appendRun(body, badges, run) {
        if (typeof run.text === "string") {
            body.append(document.createTextNode(run.text));
        } else if (typeof run.badge === "string") {
            const img = image("badge", run.url, String(run.title || run.badge));
            if (img)
                badges.append(img);
        } else if (typeof run.emote === "string") {
            body.append(image("emote", run.url, run.emote) || document.createTextNode(run.emote));
        }
    }

    function messageElement(message) {
        const item = element("li", "message");
        if (typeof message.system === "string") {
            item.classList.add("system");
            item.append(element("div", "headline", message.system));
        }
        if (typeof message.reply === "string")
            item.append(element("div", "reply", message.reply));
        if (!Array.isArray(message.runs))
            return item;
        if (message.action === true)
            item.classList.add("action");
        const line = element("div", "line");
        const badges = element("span", "badges");
        const name = element("span", "name", String(message.name || ""));
        if (typeof message.color === "string" && /^#[0-9a-fA-F]{6}$/.test(message.color))
            name.style.color = message.color;
        const body = element("span", "body");
        for (const run of message.runs)
            if (run && typeof run === "object")
                appendRun(body, badges, run);
        line.append(badges, name, document.createTextNode(message.action === true ? " " : ": "), body);
        item.append(line);
        return item;
    }

    function remove(id) {
        const item = shown.get(id);
        if (!item)
            return;
        shown.delete(id);
        item.remove();
    }

    function fadeLater(id, item) {
        if (!(options.messageLifetime > 0))
            return;
        setTimeout(() => {
            item.classList.add("fading");
            setTimeout(() => { if (shown.get(id) === item) remove(id); }, 1000);
        }, options.messageLifetime * 1000);
    }

    function show(message) {
        const id = String(message.id || "");
        remove(id);
        const item = messageElement(message);
        list.append(item);
        if (id) {
            shown.set(id, item);
            fadeLater(id, item);
        }
        while (list.children.length > maxShown) {
            const oldest = list.firstElementChild;
            for (const [key, value] of shown)
                if (value === oldest)
                    shown.delete(key);
            oldest.remove();
        }
    }

    function applyOptions(next) {
        options = next;
        document.body.style.setProperty("--font-scale", String(Number(next.fontScale) || 1));
        document.body.classList.toggle("hide-badges", next.hideBadges === true);
    }

    function parsed(event) {
        try {
            return JSON.parse(event.data);
        } catch (error) {
            return null;
        }
    }

    const events = new EventSource(base + "/events");
    events.addEventListener("reset", () => {
        shown.clear();
        list.replaceChildren();
    });
    events.addEventListener("options", (event) => {
        const next = parsed(event);
        if (next && typeof next === "object")
            applyOptions(next);
    });
    events.addEventListener("delete", (event) => remove(event.data));
    events.addEventListener("message", (event) => {
        const message = parsed(event);
        if (message && typeof message === "object")
            show(message);
    });
})();
