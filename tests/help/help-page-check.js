// Checks the help page in headless Chromium. scripts/check-help-page.sh opens a small page beside
// Help.html that shows it in a frame of the width under test and loads this script; the findings
// go into a hidden element of that page, which the script reads from its DOM: one line per
// check, "ok" or "FAILED", a tab, the check's name, a tab and what was seen; and one "file" line
// per link to a file, for the script to look for.
'use strict';

function textElements(doc) {
  const found = [];
  for (const element of doc.body.querySelectorAll('*')) {
    const ownText = [...element.childNodes].some(node => node.nodeType === 3 && node.textContent.trim());
    if (ownText) found.push(element);
  }
  return found;
}

function checkImages(doc, report) {
  const images = [...doc.images];
  const broken = images.filter(image => !image.complete || image.naturalWidth === 0).map(image => image.getAttribute('src'));
  const unnamed = images.filter(image => !image.alt.trim()).map(image => image.getAttribute('src'));
  report('every image loads and has an alternative text', images.length > 0 && !broken.length && !unnamed.length,
         `${images.length} images; not loaded: [${broken}]; without alt: [${unnamed}]`);
}

function checkLinks(doc, report, lines) {
  const missing = [];
  let count = 0;
  for (const link of doc.querySelectorAll('a[href]')) {
    const url = new URL(link.href);
    if (url.protocol !== 'file:') continue;
    ++count;
    if (url.pathname !== doc.location.pathname) {
      lines.push(`file\t${decodeURIComponent(url.pathname)}`);
    } else if (!url.hash || !doc.getElementById(decodeURIComponent(url.hash.slice(1)))) {
      missing.push(link.getAttribute('href'));
    }
  }
  report('every link inside the page resolves', count > 0 && !missing.length, `${count} links; unresolved: [${missing}]`);
}

function checkNoHorizontalScroll(doc, report) {
  const view = doc.documentElement.clientWidth, content = doc.documentElement.scrollWidth;
  report('no horizontal scroll bar', content <= view,
         `content ${content} px wide in a view of ${view} px at ${doc.defaultView.devicePixelRatio}x`);
}

// Readable: no text smaller than 12 CSS pixels, and no text block reaching out of the view.
function checkReadable(doc, report) {
  const view = doc.documentElement.clientWidth;
  const small = [], outside = [];
  for (const element of textElements(doc)) {
    if (parseFloat(doc.defaultView.getComputedStyle(element).fontSize) < 12) small.push(element.tagName);
    const box = element.getBoundingClientRect();
    if (box.left < 0 || box.right > view + 0.5) outside.push(`${element.tagName}:${element.textContent.trim().slice(0, 30)}`);
  }
  report('text is readable', !small.length && !outside.length,
         `too small: [${small}]; out of view: [${outside}]`);
}

window.addEventListener('load', () => {
  const lines = [];
  const report = (name, passed, seen) => lines.push(`${passed ? 'ok' : 'FAILED'}\t${name}\t${seen}`);
  const doc = document.getElementById('page').contentDocument;
  if (!doc) {
    report('the page opens', false, 'the frame shows no document');
  } else {
    checkImages(doc, report);
    checkLinks(doc, report, lines);
    checkNoHorizontalScroll(doc, report);
    checkReadable(doc, report);
    lines.push(`height\t${doc.documentElement.scrollHeight}`);
  }
  const out = document.createElement('pre');
  out.id = 'help-check';
  out.hidden = true;
  out.textContent = lines.join('\n');
  document.body.appendChild(out);
});
